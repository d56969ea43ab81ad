#include "launcher/InstallAction.h"

#include "launcher/ShellOpen.h"

// The texts are in the ANSI code page of the window's German captions (0xE4 a umlaut, 0xF6 o
// umlaut, 0xFC u umlaut, 0xDF sharp s), as the damaged-program message is.
namespace {

constexpr char kCaption[] = "Installation";
constexpr char kNotPrepared[] = "Die Installation konnte nicht vorbereitet werden.\r\n";
constexpr char kTryAgain[] = "\r\nBitte versuchen Sie es danach erneut.";

// Windows' error code in plain words.
std::string SystemReason(DWORD Error) {
  switch (Error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "Auf dem Datentr\xE4ger ist nicht gen\xFCgend Speicherplatz frei.";
    case ERROR_ACCESS_DENIED:
      return "Zugriff verweigert.";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "Die Datei wird von einem anderen Programm verwendet.";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "Der Pfad wurde nicht gefunden.";
    case ERROR_WRITE_PROTECT:
      return "Der Datentr\xE4ger ist schreibgesch\xFCtzt.";
    case ERROR_NOT_ENOUGH_MEMORY:
      return "Nicht gen\xFCgend Arbeitsspeicher.";
    default:
      return "Windows-Fehler " + std::to_string(Error) + ".";
  }
}

// "\r\nGrund: ..." for an error code, nothing without one.
std::string Because(DWORD Error) {
  return Error != 0 ? "\r\nGrund: " + SystemReason(Error) : "";
}

// ShellExecuteA's own codes where they differ from Windows' error codes of the same number.
std::string ShellReason(intptr_t Result) {
  constexpr intptr_t kShare = 26, kNoAssociation = 31, kDllNotFound = 32;
  switch (Result) {
    case 0:
      return SystemReason(ERROR_NOT_ENOUGH_MEMORY);
    case kShare:
      return SystemReason(ERROR_SHARING_VIOLATION);
    case kNoAssociation:
      return "Windows kennt kein Programm, das diese Datei \xF6"
             "ffnet.";
    case kDllNotFound:
      return "Eine ben\xF6tigte Programmbibliothek fehlt.";
    default:
      return SystemReason(static_cast<DWORD>(Result));
  }
}

}  // namespace

std::string NotPreparedMessage(const TExtraction& Extraction) {
  const std::string& path = Extraction.Path;
  std::string why;
  switch (Extraction.State) {
    case esInUse:
      why = "Die Datei " + path +
            " wird von einem anderen Programm verwendet.\r\n"
            "Bitte schlie\xDF"
            "en Sie dieses Programm und versuchen Sie es erneut.";
      break;
    case esFolderInTheWay:
      why = "An der Stelle der Datei " + path +
            " steht ein Ordner.\r\nBitte benennen Sie ihn um oder l\xF6schen Sie ihn." + kTryAgain;
      break;
    case esNoFolder:
      why =
          "Der Ordner f\xFCr tempor\xE4re Dateien (TEMP) ist nicht erreichbar: sein Pfad ist zu "
          "lang oder enth\xE4lt Zeichen, die dieses Programm nicht verwenden kann.";
      break;
    case esFolderMissing:
      why = "Der Ordner " + path.substr(0, path.rfind('\\') + 1) +
            " fehlt und konnte nicht angelegt werden." + Because(Extraction.Error);
      break;
    case esWriteFailed:
      why = "Die Datei " + path + " konnte nicht geschrieben werden." + Because(Extraction.Error);
      break;
    case esChanged:
      why = "Die Datei " + path +
            " wurde nach dem Schreiben von einem anderen Programm ver\xE4ndert." + kTryAgain;
      break;
    default:
      why =
          "Das Installationsprogramm wurde nicht in den Ordner f\xFCr tempor\xE4re Dateien "
          "ausgepackt.";
      break;
  }
  return kNotPrepared + why;
}

std::string NotStartedMessage(const std::string& Path, intptr_t Result) {
  return "Das Installationsprogramm " + Path +
         " konnte nicht gestartet werden.\r\nGrund: " + ShellReason(Result);
}

void StartInstaller(const TacFileStorage& Storage, const std::string& FileName, HWND ShellOwner,
                    HWND BoxOwner) {
  const TStoredFile* record = Storage.FindFile(FileName);
  const TExtraction& done = record != nullptr ? record->Extraction() : TExtraction{};
  std::string problem;
  if (done.State != esHeld) {
    problem = NotPreparedMessage(done);
  } else if (const intptr_t result = ShellOpen(ShellOwner, done.Path.c_str(), nullptr);
             result <= 32) {
    problem = NotStartedMessage(done.Path, result);
  }
  if (!problem.empty()) MessageBoxA(BoxOwner, problem.c_str(), kCaption, MB_ICONERROR);
}
