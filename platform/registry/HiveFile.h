// Where HKEY_CURRENT_USER lives on disk and how it changes safely: reads see the file as last
// replaced; every change is made under an exclusive lock and reaches the file by atomic replace.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/registry/Hive.h"

namespace registry {

// The largest registry file that is read: 16 MiB.
inline constexpr std::size_t kMaxHiveFileSize = std::size_t{16} << 20;

// $XDG_CONFIG_HOME/quillmont/registry.txt ($HOME/.config when that is unset or relative);
// null when neither gives an absolute folder. Looked up anew on every call.
std::optional<std::filesystem::path> HiveFilePath();

// The file's contents as they are now; a missing file is an empty hive. ERROR_BADDB for a
// damaged file, which is left alone; ERROR_READ_FAULT for one that cannot be read, is not a
// regular file (it is opened without blocking) or is larger than kMaxHiveFileSize. The parsed
// file is kept and parsed again only when its identity, size or modification time changed.
// A damaged or refused file is reported on standard error, each once per run.
LONG LoadHive(std::shared_ptr<const Hive>& hive);

// What a change does with a damaged file: fail on it and leave it as it is, or start a new file
// and keep the damaged one beside it as "<name>.damaged-YYYYMMDD-HHMMSS" (local time; "-1",
// "-2" ... added when that name is taken).
enum class Damaged { Refuse, KeepAside };

// Re-reads the file under the lock beside it, lets `change` edit the hive, and writes the
// result when `change` succeeded and altered something. Stale temporary copies of killed
// writers are removed first; a SIGTERM while this writes its own removes that. A symbolic link
// in the file's place stays: its target is replaced in its own folder, and an existing file
// keeps its mode (a new one is private to the user). A damaged file given way to is set aside
// only once the new file is written, in the same replace. Returns `change`'s result or the
// file's error; on any error the file is unchanged.
LONG UpdateHive(const std::function<LONG(Hive&)>& change, Damaged whenDamaged = Damaged::Refuse);

// Where the file is damaged.
struct HiveDamage {
  std::filesystem::path file;
  int line = 0;  // the first damaged line, counted from 1
};
// "the settings file <path> is damaged at line <n>": the line on standard error says it, and
// the setup dialog's box begins with it.
std::string DescribeDamage(const HiveDamage& damage);
// The damage of the file as it is now; none when it reads, is missing, or cannot be read.
std::optional<HiveDamage> FindHiveDamage();

}  // namespace registry
