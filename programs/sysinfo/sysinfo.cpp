// sysinfo.exe: what the system-information component reports on this machine, one Name=Value
// line per published property in the order of its type information (Name, Tag and About first),
// enumerations by their value names, Booleans as True or False. The report only reads: it
// writes no property and changes nothing.
//
// The modules start and shut down as in the program (the toolkit, which makes the application
// and screen objects, then the library's modules), so the sockets are started by acInet and the
// processor facts read by acSystemInfo before anything is reported.
//
// InternetStatus may wait as long as the host-name lookup takes, which on a machine without a
// network can be long. It is read on a worker thread for at most kLookupMilliseconds; when that
// passes the report prints iOffline, finishes its lines, and ends without the modules' shut-down:
// the sockets cannot be cleaned up under a lookup that is still running.

#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#include "platform/platform.h"
#include "runtime/LibraryModules.h"
#include "sysinfo/acSystemInfo.h"
#include "toolkit/core/TEnumInfo.h"
#include "toolkit/ui/UIModules.h"

namespace {

constexpr DWORD kLookupMilliseconds = 5000;

constexpr TModule kBeforeLibrary[] = {kToolkitModule};
constexpr TModule kAfterLibrary[] = {kComSupportModule};
constexpr auto kModules = WithLibraryModules(kBeforeLibrary, kAfterLibrary);

std::string PropertyText(const TPropInfo& Prop, const TObject& Object) {
  switch (Prop.Kind) {
    case TPropKind::String:
      return Prop.GetStr(Object);
    case TPropKind::Boolean:
      return Prop.GetOrd(Object) ? "True" : "False";
    case TPropKind::Enumeration:
      return std::string(Prop.Enum->ValueName(Prop.GetOrd(Object)));
    default:
      return std::to_string(Prop.GetOrd(Object));
  }
}

// One property read on a worker thread; the record outlives a read that is given up.
struct TSlowRead {
  const TPropInfo* Prop;
  const TObject* Object;
  std::string Text;
};

DWORD WINAPI ReadOnWorker(LPVOID Parameter) {
  auto* read = static_cast<TSlowRead*>(Parameter);
  read->Text = PropertyText(*read->Prop, *read->Object);
  return 0;
}

// The property's text, or Fallback when the read takes longer than Milliseconds (or no thread can
// be started); TimedOut tells which.
std::string ReadWithTimeout(const TPropInfo& Prop, const TObject& Object, DWORD Milliseconds,
                            const std::string& Fallback, bool& TimedOut) {
  auto* read = new TSlowRead{&Prop, &Object, {}};
  HANDLE thread = CreateThread(nullptr, 0, &ReadOnWorker, read, 0, nullptr);
  TimedOut = thread == nullptr || WaitForSingleObject(thread, Milliseconds) != WAIT_OBJECT_0;
  if (thread != nullptr) CloseHandle(thread);
  if (TimedOut) return Fallback;  // the worker still owns the record
  std::string text = read->Text;
  delete read;
  return text;
}

// Prints the report; false when a read was given up and is still running.
bool Report() {
  TComponentPtr<TacSystemInfo> info(new TacSystemInfo(nullptr));
  info->SetName("acSystemInfo1");
  bool finished = true;
  for (const TPropInfo* prop : info->ClassInfo().Properties()) {
    std::string text;
    if (prop->Name == "InternetStatus") {
      bool timedOut = false;
      text = ReadWithTimeout(*prop, *info, kLookupMilliseconds, "iOffline", timedOut);
      finished = finished && !timedOut;
    } else {
      text = PropertyText(*prop, *info);
    }
    std::printf("%s=%s\n", prop->Name.c_str(), text.c_str());
  }
  std::fflush(stdout);
  if (!finished) info.release();  // the worker may still read it
  return finished;
}

}  // namespace

int main() {
  TModuleTable modules(kModules);
  try {
    modules.StartUp();
    if (!Report()) ExitProcess(0);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "sysinfo: %s\n", e.what());
    return 1;
  }
  modules.ShutDown();
  return 0;
}
