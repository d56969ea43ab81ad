#include "launcher/Unit1.h"

#include "launcher/InstallAction.h"
#include "launcher/OpenWebPage.h"
#include "launcher/ShellOpen.h"
#include "toolkit/ui/TApplication.h"

TForm1* Form1 = nullptr;

std::string InstallerFileName = "quillmoor_full.exe";

void TForm1::Publish(TPublisher<TForm1>& P) {
  P.Field("acFileStorage1", &TForm1::acFileStorage1)
      .Field("Image2", &TForm1::Image2)
      .Field("Label2", &TForm1::Label2)
      .Field("Label5", &TForm1::Label5)
      .Field("Label6", &TForm1::Label6)
      .Field("BitBtn1", &TForm1::BitBtn1)
      .Field("acSystemInfo1", &TForm1::acSystemInfo1)
      .Method("Image2Click", &TForm1::Image2Click)
      .Method("BitBtn1Click", &TForm1::BitBtn1Click);
}

void TForm1::Image2Click(TObject* /*Sender*/) {
  OpenWebPage(HomePageAddress);
}

void TForm1::BitBtn1Click(TObject* /*Sender*/) {
  StartInstaller(*acSystemInfo1, InstallerFileName, Application->Handle());
}

void Unit1ShutDown() {
  ReleaseShell();
  InstallerFileName.clear();
  InstallerFileName.shrink_to_fit();
}
