// The text form of a hive: a header line, then each key in brackets followed by its values,
// one a line, with every byte outside printable ASCII escaped so the file stays plain text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/Hive.h"

namespace registry {

// The first line of every file, so a foreign or damaged file is recognised.
inline constexpr std::string_view kHiveHeader = "QUILLMONT REGISTRY 1";

// Null when the text is not exactly what FormatHive writes (blank lines and a missing final
// newline aside), with the number of the first damaged line (from 1, the header) in
// `damagedLine`; nothing is guessed. Parents a file leaves out are added.
std::optional<Hive> ParseHive(std::string_view text, int* damagedLine = nullptr);
std::string FormatHive(const Hive& hive);

}  // namespace registry
