// Where HKEY_CURRENT_USER lives on disk and how it changes safely: reads see the file as last
// replaced; every change is made under an exclusive lock and reaches the file by atomic replace.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>

#include "platform/registry/Hive.h"

namespace registry {

// $XDG_CONFIG_HOME/quillmont/registry.txt ($HOME/.config when that is unset or relative);
// null when neither gives an absolute folder. Looked up anew on every call.
std::optional<std::filesystem::path> HiveFilePath();

// A missing file is an empty hive. ERROR_BADDB for a damaged file, which is left alone.
LONG LoadHive(Hive& hive);

// Re-reads the file under the lock beside it, lets `change` edit the hive, and writes the
// result when `change` succeeded and altered something. Returns `change`'s result or the
// file's error; on any error the file is unchanged.
LONG UpdateHive(const std::function<LONG(Hive&)>& change);

}  // namespace registry
