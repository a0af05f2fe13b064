// A test of the Qt peers: the offscreen platform, the peers installed, a fresh application.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/qt/QtPlatform.h"
#include "platform/vcl/Forms.h"

class PeerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("QT_QPA_PLATFORM", "offscreen", 0); }
  void SetUp() override {
    ResetApplicationForTest();
    ASSERT_TRUE(qt::Install());
    Application->Initialize();
  }
  void TearDown() override {
    ResetApplicationForTest();
    qt::Uninstall();
  }
};
