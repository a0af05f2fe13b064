// The screen's cursors from the program's resources, and the nesting wait cursor.
#include <cstdint>

#include "imaging/QmUtils.h"
#include "platform/user/Icons.h"
#include "platform/vcl/Forms.h"
#include "platform/win32/Kernel32.h"
#include "platform/win32/Resources.h"

TCursor WaitCursor = crHourGlass;

namespace {

int waitCount = 0;
TCursor savedCursor = crDefault;

constexpr int kFirstCursor = 100, kLastCursor = 32767;
constexpr DWORD kPathLength = 260;

// The temporary file is deleted and the resource freed however the load ends.
class TemporaryFile {
 public:
  TemporaryFile(HGLOBAL resource) : FResource(resource) {}
  ~TemporaryFile() {
    if (!FName.empty()) DeleteFileA(FName.c_str());
    FreeResource(FResource);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  AnsiString FName;

 private:
  HGLOBAL FResource;
};

}  // namespace

HCURSOR LoadAniCursor(HINSTANCE Instance, LPCSTR ResID) {
  HRSRC resource = FindResourceA(Instance, ResID, RT_ANICURSOR);
  if (!resource) return nullptr;
  HGLOBAL data = LoadResource(Instance, resource);
  TemporaryFile file(data);
  char folder[kPathLength], name[kPathLength];
  Win32Check(GetTempPathA(kPathLength, folder) != 0);
  Win32Check(GetTempFileNameA(folder, "ANI", 0, name) != 0);
  file.FName = name;
  {
    TFileStream stream(file.FName, fmCreate);
    stream.WriteBuffer(LockResource(data), static_cast<int>(SizeofResource(Instance, resource)));
  }
  return LoadCursorFromFileA(file.FName.c_str());
}

TCursor DefineCursor(HINSTANCE Instance, LPCSTR ResID) {
  HCURSOR handle = LoadCursorA(Instance, ResID);
  if (!handle) handle = LoadAniCursor(Instance, ResID);
  if (!handle) ResourceNotFound(ResID);
  for (int number = kFirstCursor; number <= kLastCursor; ++number) {
    if (Screen->GetCursors(number) != Screen->GetCursors(crDefault)) continue;
    Screen->SetCursors(number, handle);
    return static_cast<TCursor>(number);
  }
  DestroyCursor(handle);
  throw EOutOfResources(ResStr("Out of system resources"));
}

void StartWait() {
  if (waitCount == 0) {
    savedCursor = Screen->GetCursor();
    Screen->SetCursor(WaitCursor);
  }
  ++waitCount;
}

void StopWait() {
  if (waitCount <= 0) return;
  if (--waitCount == 0) Screen->SetCursor(savedCursor);
}
