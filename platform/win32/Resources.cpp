// The table of resources compiled into the program, and the platform's functions that find
// them by name and type and hand out their bytes.
#include "platform/win32/Resources.h"

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <variant>

#include "platform/win32/Kernel32.h"
#include "platform/win32/NameKey.h"

namespace {

// A name or type: a number, or a text kept upper-cased for the case-blind comparison.
using ResourceId = std::variant<WORD, std::string>;

ResourceId ToResourceId(LPCSTR p) {
  if (IS_INTRESOURCE(p)) return static_cast<WORD>(reinterpret_cast<std::uintptr_t>(p));
  return win32::NameKey(p);
}

struct Resource {
  const void* data;
  std::size_t size;
};

// Filled by static initialisers of other units, hence reached through a function.
struct ResourceTable {
  std::mutex lock;
  std::map<std::pair<ResourceId, ResourceId>, Resource> resources;  // by (type, name)

  bool Holds(const Resource* resource) {
    for (const auto& [key, held] : resources)
      if (&held == resource) return true;
    return false;
  }
};

ResourceTable& TheResources() {
  static ResourceTable table;
  return table;
}

bool IsThisProgram(HMODULE module) { return module == nullptr || module == GetModuleHandleA(nullptr); }

// The handle is the address of the table entry; anything that is not one is refused.
const Resource* Lookup(HMODULE module, HRSRC handle, ResourceTable& table) {
  const auto* resource = reinterpret_cast<const Resource*>(handle);
  if (!IsThisProgram(module) || !table.Holds(resource)) return nullptr;
  return resource;
}

}  // namespace

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  if (!IsThisProgram(module) || name == nullptr || type == nullptr) return nullptr;
  ResourceTable& table = TheResources();
  std::lock_guard guard(table.lock);
  const auto it = table.resources.find({ToResourceId(type), ToResourceId(name)});
  if (it == table.resources.end()) return nullptr;
  return reinterpret_cast<HRSRC>(const_cast<Resource*>(&it->second));
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  ResourceTable& table = TheResources();
  std::lock_guard guard(table.lock);
  const Resource* found = Lookup(module, resource, table);
  return found == nullptr ? nullptr : const_cast<void*>(found->data);
}

// The loaded data is already in memory, so locking only hands the address back.
LPVOID LockResource(HGLOBAL data) { return data; }

BOOL FreeResource(HGLOBAL) { return FALSE; }

DWORD SizeofResource(HMODULE module, HRSRC resource) {
  ResourceTable& table = TheResources();
  std::lock_guard guard(table.lock);
  const Resource* found = Lookup(module, resource, table);
  return found == nullptr ? 0 : static_cast<DWORD>(found->size);
}

namespace win32 {

void RegisterResource(LPCSTR name, LPCSTR type, const void* data, std::size_t size) {
  if (name == nullptr || type == nullptr || data == nullptr) return;
  ResourceTable& table = TheResources();
  std::lock_guard guard(table.lock);
  table.resources.insert_or_assign({ToResourceId(type), ToResourceId(name)}, Resource{data, size});
}

}  // namespace win32
