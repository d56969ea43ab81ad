#pragma once
// The main window: the logo, three captions, the install button, the file storage that carries
// the installer and the system information that locates it, all created from the form data
// resource TFORM1. The class only names
// its parts and handlers; the form data sets them up.

#include <string>

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

  // End of loading, before the components' own (the file storage extracts in its): checks the
  // carried installer against the CRC-32 the build recorded (InstallerCheck.h); a mismatch raises,
  // so nothing is written and the form is not created.
  void Loaded() override;

  // Logo click: opens the maker's home page.
  void Image2Click(TObject* Sender);
  // Install button: starts the installer the file storage holds, or says why it cannot; every
  // press tries again.
  void BitBtn1Click(TObject* Sender);

  static void Publish(TPublisher<TForm1>& P);
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
