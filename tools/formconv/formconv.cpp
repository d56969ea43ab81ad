// formconv: converts a form between its binary "TPF0" layout and its readable text layout.
//
//   formconv tobinary [-I DIR]... IN OUT   text form -> binary form
//   formconv totext IN OUT                 binary form -> text form
//
// Inside a binary value of the text form, "@file 'name'" splices in the bytes of a file, e.g.
//   Picture.Data = { 0A54 @file 'logo.jpg' }
// A relative name is looked up next to IN first, then in each -I directory in order.
//
// On any error the message names the place (byte offset, or line and column) and OUT is not
// written: the result goes to a temporary file beside OUT that is renamed only when complete.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/fileio/WholeFile.h"
#include "tools/formconv/BinaryFormToText.h"
#include "tools/formconv/FormTextError.h"
#include "tools/formconv/TextFormToBinary.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: formconv tobinary [-I DIR]... IN OUT   text form -> binary form\n"
    "       formconv totext IN OUT                 binary form -> text form\n"
    "\n"
    "In a text form, @file 'name' inside braces splices in a file's bytes; relative names\n"
    "are looked up beside IN, then in each -I DIR.\n"
    "Integers are written in the smallest form that holds them (int8, int16, int32), so a binary\n"
    "form comes back byte for byte from its text only if its integers already are in that form.\n";

struct Arguments {
  std::string command;
  std::vector<fs::path> includeDirs;
  fs::path in;
  fs::path out;
};

bool ParseArguments(int argc, char** argv, Arguments& args) {
  if (argc < 2) return false;
  args.command = argv[1];
  std::vector<std::string> files;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "-I" && args.command == "tobinary" && i + 1 < argc) {
      args.includeDirs.emplace_back(argv[++i]);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return false;
    } else {
      files.push_back(arg);
    }
  }
  if ((args.command != "tobinary" && args.command != "totext") || files.size() != 2) {
    return false;
  }
  args.in = files[0];
  args.out = files[1];
  return true;
}

int Run(const Arguments& args) {
  std::vector<uint8_t> input;
  try {
    input = ReadWholeFile(args.in.string());
  } catch (const std::exception&) {
    std::cerr << "formconv: cannot read " << args.in.string() << "\n";
    return 1;
  }
  std::vector<uint8_t> output;
  try {
    if (args.command == "totext") {
      const std::string text = formtext::BinaryFormToText(input);
      output.assign(text.begin(), text.end());
    } else {
      formtext::SpliceDirs dirs{args.in.parent_path(), args.includeDirs};
      output = formtext::TextFormToBinary(
          std::string_view(reinterpret_cast<const char*>(input.data()), input.size()), dirs);
    }
  } catch (const formtext::FormTextError& error) {
    std::cerr << args.in.string() << ": " << error.what() << "\n";
    return 1;
  } catch (const std::exception& error) {
    std::cerr << "formconv: " << args.in.string() << ": " << error.what() << "\n";
    return 1;
  }
  try {
    ReplaceFileWhole(args.out.string(), output, ".partial");
  } catch (const std::exception& error) {
    std::cerr << "formconv: " << error.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  if (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help")) {
    std::cout << kUsage;
    return 0;
  }
  if (!ParseArguments(argc, argv, args)) {
    std::cerr << kUsage;
    return 2;
  }
  return Run(args);
}
