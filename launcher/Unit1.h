#pragma once
// The main window: the logo, three captions, the install button, the file storage that carries
// the installer and the system information that locates it, all created from the form data
// resource TFORM1. The class only names
// its parts and handlers; the form data sets them up.

#include <memory>
#include <string>

#include "launcher/ProgressWindow.h"
#include "storage/acFileStorage.h"
#include "sysinfo/acSystemInfo.h"
#include "toolkit/core/Modules.h"
#include "toolkit/ui/TBitBtn.h"
#include "toolkit/ui/TForm.h"
#include "toolkit/ui/TImage.h"
#include "toolkit/ui/TLabel.h"

class TForm1 : public TForm {
  TOOLKIT_CLASS(TForm1, TForm)

 public:
  using TForm::TForm;

  // Set by the form-data reader to the components of the same names.
  TacFileStorage* acFileStorage1 = nullptr;
  TImage* Image2 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label5 = nullptr;
  TLabel* Label6 = nullptr;
  TBitBtn* BitBtn1 = nullptr;
  TacSystemInfo* acSystemInfo1 = nullptr;

  // End of loading, before the components' own (the file storage extracts in its): gives the
  // carried installer the CRC-32 the build recorded to be checked against on its way to TEMP
  // (InstallerCheck.h), and the progress window to the storage.
  void Loaded() override;
  // Once the window has been created: raises the damaged-program error when the installer proved
  // damaged on its way to TEMP; false when the user stopped its preparation by closing the
  // progress window (the program then ends, TEMP as it was), else true.
  bool InstallerPrepared();

  // Logo click: opens the maker's home page.
  void Image2Click(TObject* Sender);
  // Install button: starts the installer the file storage holds, or says why it cannot; every
  // press tries again.
  void BitBtn1Click(TObject* Sender);

  static void Publish(TPublisher<TForm1>& P);

 private:
  // While the installer is being prepared.
  std::unique_ptr<TProgressWindow> progress_;
};

// The main window, set when the application creates it.
extern TForm1* Form1;

// Name of the installer that the window's file storage carries and writes into TEMP.
extern std::string InstallerFileName;

// What tells this launcher's running copies from those of other launchers: the installer's name
// and the CRC-32 recorded for it (see SingleInstance.h).
std::string LauncherIdentity();

// Shut-down routine of Unit1 for the program's module table: releases InstallerFileName. (The
// shell that the window's actions loaded stays until the process ends; see ShellOpen.h.) (Unit1 has
// no start-up work: the application creates TForm1 by its type, not by its registered name.)
void Unit1ShutDown();
inline constexpr TModule kUnit1Module{"Unit1", nullptr, &Unit1ShutDown};
