// One input for the icon-list stream: read as a list; a list it takes must write the same
// count of entries and read back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/IcoList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 20)) return 0;
  TMemoryStream stream;
  stream.WriteBuffer(data, static_cast<int>(size));
  stream.SetPosition(0);
  TIconList list;
  try {
    list.LoadFromStream(&stream);
  } catch (const EReadError&) {
    return 0;
  } catch (const EInvalidGraphic&) {
    return 0;
  } catch (const EOutOfMemory&) {
    return 0;
  }
  TMemoryStream written;
  list.SaveToStream(&written);
  written.SetPosition(0);
  TIconList again;
  try {
    again.LoadFromStream(&written);
  } catch (const Exception&) {
    std::abort();
  }
  if (again.GetCount() != list.GetCount()) std::abort();
  return 0;
}
