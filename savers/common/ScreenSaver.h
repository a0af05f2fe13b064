// The screensaver host's side of a program, shared by both savers: the mode switch on the
// command line, the still preview, the password change and check, and the run of the mode.
#pragma once

#include <functional>
#include <span>

#include "platform/vcl/Forms.h"
#include "platform/vcl/SysUtils.h"
#include "platform/win32/Win32Types.h"

enum class TSaverMode { FullScreen, Setup, Preview, ChangePassword };

// The mode that the host's first argument selects.
TSaverMode SaverMode(const AnsiString& Param1);

// What differs between the programs: how the scene and the setup dialog are created.
struct TSaverProgram {
  std::function<void()> CreateScene;  // creates the scene form, the application's main form
  std::function<void()> CreateSetup;  // creates the setup dialog
  AnsiString SetupTitle;              // the application's title in the setup mode
};

// A program of a scene form class and a setup dialog made into the given global.
template <class TScene, class TSetup>
TSaverProgram SaverProgram(TSetup*& Setup, const char* SetupTitle) {
  return {[] {
            TScene* scene = nullptr;
            Application->CreateForm(scene);
          },
          [&Setup] { Application->CreateForm(Setup); }, SetupTitle};
}

// Runs the mode the arguments (those after the program's name) select. Returns the program's
// exit status: 0 after a normal end, 1 after an end that showed an error (an exception, a
// display error, a password change that could not be made, a preview window that is not there).
int RunScreenSaver(std::span<const AnsiString> Params, const TSaverProgram& Program);

// The run ends after an error the user was shown; the exit status says so. Main thread.
void MarkErrorEnd();

// One line for the host's log: the program's name, a colon and what is wrong.
void SayOnStandardError(const AnsiString& What);

// Whether a run may end: the platform's password provider accepted (showing its own dialog
// where a password is set), or there is none, or the platform asks for it itself.
bool VerifyPassword(HWND Handle);
