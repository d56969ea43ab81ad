// sfpack form and wrap --form on a launcher of the fuzz corpus given the program's own window
// (launcher/Unit1.form, with a made-up logo): the text round trip gives the plain wrap's bytes,
// edits reach the program, and a form the program could not use is refused with its line.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/fileio/WholeFile.h"
#include "tools/pe/PeFile.h"
#include "tools/sfpack/FormBinaryProperty.h"
#include "tools/sfpack/LauncherForm.h"
#include "tools/sfpack/LauncherFormCheck.h"
#include "tools/sfpack/LauncherWrap.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

std::string ReadText(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
Bytes Program(size_t Size, uint8_t Seed) {
  Bytes b(Size);
  for (size_t i = 0; i < Size; ++i) b[i] = static_cast<uint8_t>(i * Seed + i / 7);
  b[0] = 'M', b[1] = 'Z', b[0x3C] = 0x40, b[0x3D] = b[0x3E] = b[0x3F] = 0;
  b[0x40] = 'P', b[0x41] = 'E', b[0x42] = b[0x43] = 0;
  return b;
}
// Text with the first From replaced by To; the test fails when there is none.
std::string Replaced(std::string Text, const std::string& From, const std::string& To) {
  const size_t at = Text.find(From);
  EXPECT_NE(at, std::string::npos) << From;
  if (at != std::string::npos) Text.replace(at, From.size(), To);
  return Text;
}

class TMemoryInstaller : public sfpack::TInstallerSource {
 public:
  explicit TMemoryInstaller(const Bytes& Data) : data_(Data) {}
  uint64_t Size() const override { return data_.size(); }
  size_t Read(uint8_t* Into, size_t Count) override {
    const size_t n = std::min(Count, data_.size() - pos_);
    std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(pos_), n, Into);
    pos_ += n;
    return n;
  }
  void Rewind() override { pos_ = 0; }

 private:
  const Bytes& data_;
  size_t pos_ = 0;
};
class TMemoryProgram : public sfpack::TProgramSink {
 public:
  bool Seekable() override { return true; }
  void Write(std::span<const uint8_t> B) override { bytes.insert(bytes.end(), B.begin(), B.end()); }
  void WriteAt(uint64_t At, std::span<const uint8_t> B) override {
    std::copy(B.begin(), B.end(), bytes.begin() + static_cast<std::ptrdiff_t>(At));
  }
  Bytes bytes;
};

Bytes WrapWithForm(const Bytes& Launcher, const Bytes& Installer, const Bytes& Form) {
  TMemoryInstaller in(Installer);
  TMemoryProgram out;
  sfpack::WrapLauncherStreamed(Launcher, in, out, Form);
  return out.bytes;
}

class LauncherFormTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("launcher_form_test." + std::to_string(getpid()));
    fs::create_directories(dir_);
    // A logo as the build stores it: class name, byte count, file.
    jpeg_ = ReadWholeFile(AC_LAUNCHER_DIR "/pictures/logo.jpg");
    const auto size = static_cast<uint32_t>(jpeg_.size());
    picture_ = {10,
                'T',
                'J',
                'P',
                'E',
                'G',
                'I',
                'm',
                'a',
                'g',
                'e',
                static_cast<uint8_t>(size),
                static_cast<uint8_t>(size >> 8),
                0,
                0};
    picture_.insert(picture_.end(), jpeg_.begin(), jpeg_.end());
    WriteWholeFile((dir_ / sfpack::kPictureFileName).string(), picture_);
    const std::string source =
        Replaced(ReadText(AC_LAUNCHER_FORM), "{ @file 'installer.sfp' }", sfpack::kInstallerMarker);
    // The corpus launcher with the program's window around its own storage.
    launcher_ = WrapWithForm(ReadWholeFile(std::string(AC_WRAP_SEEDS) + "/linker_layout.exe"),
                             Program(5000, 3), Build(source));
  }
  void TearDown() override { fs::remove_all(dir_); }

  Bytes Build(const std::string& Text, std::vector<formtext::SourceLine>* Lines = nullptr) const {
    return sfpack::BuildLauncherForm(Text, formtext::SpliceDirs{dir_, {}}, Lines);
  }
  // The form data made from Text and checked as wrap --form does.
  Bytes BuildChecked(const std::string& Text) const {
    std::vector<formtext::SourceLine> lines;
    const Bytes form = Build(Text, &lines);
    sfpack::CheckLauncherForm(form, Text, lines);
    return form;
  }

  fs::path dir_;
  Bytes jpeg_, picture_, launcher_;
};

TEST_F(LauncherFormTest, UnchangedTextGivesThePlainWrapsProgram) {
  const sfpack::LauncherFormText exported = sfpack::ExportLauncherForm(launcher_);
  EXPECT_EQ(exported.picture, picture_);
  EXPECT_EQ(exported.jpeg, jpeg_);
  EXPECT_NE(exported.text.find("    StoredData = {@installer}\n"), std::string::npos);
  EXPECT_NE(exported.text.find("    Picture.Data = {@file 'logo.picture'}\n"), std::string::npos);
  for (const size_t size : {size_t{100}, size_t{70000}, size_t{300000}}) {
    SCOPED_TRACE(size);
    const Bytes installer = Program(size, 11);
    const Bytes viaText = WrapWithForm(launcher_, installer, BuildChecked(exported.text));
    EXPECT_EQ(viaText, sfpack::WrapLauncher(launcher_, installer).program);
  }
}

TEST_F(LauncherFormTest, EditedCaptionReachesTheProgramsForm) {
  const std::string text =
      Replaced(sfpack::ExportLauncherForm(launcher_).text, "'Vollversion'", "'Neue Version'");
  const Bytes wrapped = WrapWithForm(launcher_, Program(100, 5), BuildChecked(text));
  const auto form = PeFile(wrapped).Resource(kRtRcData, "TFORM1");
  ASSERT_TRUE(form);
  const std::string bytes(form->begin(), form->end());
  EXPECT_NE(bytes.find("Neue Version"), std::string::npos);
  EXPECT_EQ(bytes.find("Vollversion"), std::string::npos);
  EXPECT_EQ(sfpack::ExportLauncherForm(wrapped).text, text);
}

TEST_F(LauncherFormTest, RefusesWithTheLineAndReason) {
  struct Case {
    const char* what;
    std::string from, to;
    std::string line, reason;
  };
  const std::string longCaption = "'" + std::string(256, 'x') + "'";
  const Case cases[] = {
      {"unreadable syntax", "Left = 496", "Left = = 496", "line 68", "cannot be converted"},
      {"caption over 255 bytes", "'Vollversion'", longCaption, "line 46", "255"},
      {"missing label", "object Label6: TLabel", "object Label7: TLabel", "line 1",
       "no Label6: TLabel"},
      {"missing storage", "object acFileStorage1:", "object acFileStorage2:", "line 1",
       "no acFileStorage1"},
      {"label of another class", "object Label5: TLabel", "object Label5: TImage", "line 41",
       "Label5 must be a TLabel"},
      {"class the program lacks", "object Label2: TLabel", "object Label2: TMemo", "line 28",
       "class TMemo"},
      {"root of another name", "object Form1: TForm1", "object Form2: TForm1", "line 1",
       "root component must be Form1"},
      {"root of another class", "object Form1: TForm1", "object Form1: TForm", "line 1",
       "class TForm "},
      {"logo not bound", "    OnClick = Image2Click\n", "", "line 18",
       "Image2.OnClick must be bound to Image2Click"},
      {"button bound elsewhere", "OnClick = BitBtn1Click", "OnClick = Image2Click", "line 67",
       "BitBtn1.OnClick must be bound to BitBtn1Click"},
      {"no marker", sfpack::kInstallerMarker, "{}", "", "has no {@installer}"},
      {"missing logo file", "'logo.picture'", "'gone.picture'", "line 25", "gone.picture"},
      // What only the program's reader finds, at the line of the property or component.
      {"misspelt property", "Caption = 'Vollversion'", "Captoin = 'Vollversion'", "line 46",
       "Property Captoin does not exist"},
      {"misspelt sub-property", "AutoExtract.Enabled", "AutoExtract.Enable", "line 78",
       "AutoExtract.Enable does not exist"},
      {"string for an integer", "TabOrder = 0", "TabOrder = '0'", "line 73",
       "expected an integer, found a string"},
      {"integer for a string", "Font.Name = 'Arial'", "Font.Name = 12", "line 37",
       "expected a string"},
      {"unknown button kind", "Kind = bkOK", "Kind = bkOkay", "line 74",
       "Unknown identifier bkOkay"},
      {"unknown colour", "Color = clWhite", "Color = clWeiss", "line 8",
       "Unknown identifier clWeiss"},
      {"unknown font style", "[fsBold]", "[fsFett]", "line 51", "fsFett"},
      {"control inside a control", "    OnClick = Image2Click\n  end",
       "    OnClick = Image2Click\n    object Label9: TLabel\n    end\n  end", "line 27",
       "A TLabel can only be placed on a form, not on a TImage"},
      {"handler the window lacks", "    ParentFont = False\n  end\n  object Label5",
       "    ParentFont = False\n    OnClick = Label2Click\n  end\n  object Label5", "line 40",
       "Method Label2Click not found"},
      {"picture of another format", "'logo.picture'", "'bitmap.picture'", "line 25",
       "Unknown picture format TBitmap"},
      {"picture that is no whole JPEG", "'logo.picture'", "'cut.picture'", "line 25",
       "no logo the program shows"},
      // Settings that leave the button without an installer to run.
      {"storage that does not extract", "AutoExtract.Enabled = True", "AutoExtract.Enabled = False",
       "line 77", "AutoExtract.Enabled must be True"},
      {"storage that leaves the file", "AutoExtract.RemoveOnTerminate = True",
       "AutoExtract.RemoveOnTerminate = False", "line 77", "RemoveOnTerminate must be True"},
      {"storage that keeps a stale file", "AutoExtract.Enabled = True",
       "AutoExtract.Enabled = True\n    AutoExtract.Overwrite = owNever", "line 77",
       "must not be owNever"},
  };
  // Picture data of another class, and of the logo cut short (its count says what is there).
  WriteWholeFile((dir_ / "bitmap.picture").string(), Bytes{7, 'T', 'B', 'i', 't', 'm', 'a', 'p'});
  Bytes cut = picture_;
  cut.resize(picture_.size() / 2);
  const auto cutSize = static_cast<uint32_t>(cut.size() - 15);
  cut[11] = static_cast<uint8_t>(cutSize);
  cut[12] = static_cast<uint8_t>(cutSize >> 8);
  WriteWholeFile((dir_ / "cut.picture").string(), cut);
  const std::string text = sfpack::ExportLauncherForm(launcher_).text;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      BuildChecked(Replaced(text, c.from, c.to));
      ADD_FAILURE() << "accepted";
    } catch (const sfpack::WrapError& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find(c.line), std::string::npos) << message;
      EXPECT_NE(message.find(c.reason), std::string::npos) << message;
    }
  }
}

TEST_F(LauncherFormTest, RefusesAMarkerTwiceAndAStoredDataWithBytes) {
  const std::string text = sfpack::ExportLauncherForm(launcher_).text;
  const std::string twice = Replaced(text, "  end\nend", "  StoredData = {@installer}\n  end\nend");
  EXPECT_THROW(Build(twice), sfpack::WrapError);
  // Written as data, StoredData is not where the installer goes.
  const Bytes form = formtext::TextFormToBinary(Replaced(text, sfpack::kInstallerMarker, "{00}"),
                                                formtext::SpliceDirs{dir_, {}});
  EXPECT_THROW(WrapWithForm(launcher_, Program(100, 5), form), sfpack::WrapError);
}

TEST_F(LauncherFormTest, AnIconForAProgramWithoutIconGroupIsRefusedBeforeWriting) {
  IconImage image;
  image.width = image.height = 16;
  image.planes = 1;
  image.bitCount = 32;
  image.bytes.assign(40, 0);
  const IconImage icon[] = {image};
  TMemoryInstaller in(launcher_);
  TMemoryProgram out;
  try {
    sfpack::WrapLauncherStreamed(launcher_, in, out, {}, icon);
    ADD_FAILURE() << "accepted";
  } catch (const sfpack::WrapError& e) {
    EXPECT_NE(std::string(e.what()).find("the program's icon"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(out.bytes.empty());
}

TEST_F(LauncherFormTest, ExportRefusesDamagedPictureDataAndNonPrograms) {
  EXPECT_THROW(sfpack::ExportLauncherForm(Bytes(100, 'x')), sfpack::WrapError);
  for (const Bytes& picture : {Bytes{}, Bytes{200, 'T'}, Bytes{1, 'T', 9, 0, 0, 0, 1, 2}}) {
    WriteWholeFile((dir_ / sfpack::kPictureFileName).string(), picture);
    const std::string text = sfpack::ExportLauncherForm(launcher_).text;
    const Bytes damaged = WrapWithForm(launcher_, Program(100, 5), Build(text));
    EXPECT_THROW(sfpack::ExportLauncherForm(damaged), sfpack::WrapError);
  }
}

}  // namespace
