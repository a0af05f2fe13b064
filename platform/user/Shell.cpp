// The document opener and the colour dialog: both are the desktop's, reached through the peer,
// or recorded by the tests' sinks.
#include <cctype>
#include <string>

#include "platform/user/CommDlg.h"
#include "platform/user/ShellApi.h"
#include "platform/user/UserInternal.h"

namespace {

std::string TextOf(LPCSTR text) { return text ? text : ""; }

bool IsOpenVerb(const std::string& verb) {
  std::string lower;
  for (char c : verb) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.empty() || lower == "open";
}

HINSTANCE Result(int code) { return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(code)); }

}  // namespace

HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        INT showCommand) {
  user::ShellExecuteCall call{hwnd, TextOf(operation), TextOf(file), TextOf(parameters), TextOf(directory),
                              showCommand};
  if (user::ScopedShellExecuteSink* sink = user::detail::ShellSink()) {
    sink->Record(std::move(call));
    return Result(42);
  }
  if (!IsOpenVerb(call.verb) || call.file.empty()) return Result(SE_ERR_NOASSOC);
  user::Peer* peer = user::GetPeer();
  return peer && peer->OpenUrl(call.file) ? Result(42) : Result(SE_ERR_NOASSOC);
}

BOOL ChooseColorA(CHOOSECOLORA* choose) {
  if (!choose || choose->lStructSize != sizeof(CHOOSECOLORA)) return FALSE;
  const COLORREF initial = (choose->Flags & CC_RGBINIT) ? choose->rgbResult : 0;
  std::optional<COLORREF> chosen;
  if (user::ScopedColorDialogAnswer* answer = user::detail::ColorAnswer())
    chosen = answer->Answer(initial);
  else if (user::Peer* peer = user::GetPeer())
    chosen = peer->ChooseColor(choose->hwndOwner, initial);
  if (!chosen) return FALSE;
  choose->rgbResult = *chosen & 0xFFFFFF;
  return TRUE;
}
