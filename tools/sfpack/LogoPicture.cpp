#include "tools/sfpack/LogoPicture.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace sfpack {
namespace {

constexpr char kClassName[] = "TJPEGImage";

// libjpeg's error manager with a jump back instead of exit(), and the first warning kept: a
// warning is damage the decoder stepped over (corrupt entropy data, a premature end), which the
// launcher would show as a grey or cut-off picture.
struct JpegErrors {
  jpeg_error_mgr manager;
  jmp_buf jump;
  char warning[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr Info) {
  longjmp(reinterpret_cast<JpegErrors*>(Info->err)->jump, 1);
}

void EmitMessage(j_common_ptr Info, int Level) {
  auto* errors = reinterpret_cast<JpegErrors*>(Info->err);
  if (Level < 0 && errors->warning[0] == '\0') {
    errors->manager.format_message(Info, errors->warning);
    if (errors->warning[0] == '\0') std::snprintf(errors->warning, JMSG_LENGTH_MAX, "damaged data");
  }
}

void OutputMessage(j_common_ptr) {}

// Called by libjpeg as it reads the scans; stops a file of too many.
void CountScans(j_common_ptr Info) {
  auto* info = reinterpret_cast<j_decompress_ptr>(Info);
  if (info->input_scan_number > kMaxLogoScans) {
    std::snprintf(reinterpret_cast<JpegErrors*>(Info->err)->warning, JMSG_LENGTH_MAX,
                  "more than %d scans", kMaxLogoScans);
    longjmp(reinterpret_cast<JpegErrors*>(Info->err)->jump, 2);
  }
}

// What the launcher's decoder does not take, judged from the header; null when it takes it.
const char* Unsupported(const jpeg_decompress_struct& Info) {
  if (Info.data_precision != 8) return "samples of other than 8 bits (a 12-bit JPEG)";
  if (Info.arith_code) return "arithmetic coding";
  if (Info.jpeg_color_space == JCS_CMYK || Info.jpeg_color_space == JCS_YCCK) return "CMYK colour";
  if (Info.image_width > kMaxLogoSide || Info.image_height > kMaxLogoSide) return "too large";
  return nullptr;
}

// The outcome of one decode; only plain data, as it lives across setjmp.
struct Decoded {
  bool ok = false;
  uint32_t width = 0;
  uint32_t height = 0;
  char message[JMSG_LENGTH_MAX + 64] = {};
};

// Decodes Size bytes to the launcher's output format, one row at a time into Row (4 bytes per
// pixel for kMaxLogoSide pixels).
void Decode(const uint8_t* Data, size_t Size, uint8_t* Row, Decoded& Out) {
  jpeg_decompress_struct info;
  JpegErrors errors;
  std::memset(&info, 0, sizeof info);
  std::memset(&errors, 0, sizeof errors);
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = ErrorExit;
  errors.manager.emit_message = EmitMessage;
  errors.manager.output_message = OutputMessage;
  jpeg_progress_mgr progress;
  std::memset(&progress, 0, sizeof progress);
  progress.progress_monitor = CountScans;
  if (const int jumped = setjmp(errors.jump)) {
    char text[JMSG_LENGTH_MAX] = {};
    if (jumped == 2)
      std::memcpy(text, errors.warning, sizeof text);
    else
      errors.manager.format_message(reinterpret_cast<j_common_ptr>(&info), text);
    std::snprintf(Out.message, sizeof Out.message, "not a JPEG the launcher can decode: %s", text);
    jpeg_destroy_decompress(&info);
    return;
  }
  jpeg_create_decompress(&info);
  info.progress = &progress;
  jpeg_mem_src(&info, Data, static_cast<unsigned long>(Size));
  jpeg_read_header(&info, TRUE);
  if (const char* why = Unsupported(info)) {
    std::snprintf(Out.message, sizeof Out.message,
                  "the JPEG (%u x %u) is not one the launcher can show as its logo: %s",
                  info.image_width, info.image_height, why);
    jpeg_destroy_decompress(&info);
    return;
  }
  info.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&info);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = Row;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  Out.width = info.output_width;
  Out.height = info.output_height;
  jpeg_destroy_decompress(&info);
  if (errors.warning[0] != '\0') {
    std::snprintf(Out.message, sizeof Out.message, "the JPEG is damaged: %s", errors.warning);
    return;
  }
  Out.ok = true;
}

void PutU32(std::vector<uint8_t>& Out, uint32_t Value) {
  for (int i = 0; i < 4; ++i) Out.push_back(static_cast<uint8_t>(Value >> (8 * i)));
}

}  // namespace

LogoPicture MakeLogoPicture(std::span<const uint8_t> Jpeg) {
  if (Jpeg.size() > kMaxLogoFileBytes)
    throw LogoPictureError("the JPEG file is too large for a logo (" + std::to_string(Jpeg.size()) +
                           " bytes, at most " + std::to_string(kMaxLogoFileBytes) + ")");
  if (Jpeg.size() < 4 || Jpeg[0] != 0xFF || Jpeg[1] != 0xD8)
    throw LogoPictureError("not a JPEG file (it does not start with an SOI marker)");
  std::vector<uint8_t> row(static_cast<size_t>(kMaxLogoSide) * 4);
  Decoded decoded;
  Decode(Jpeg.data(), Jpeg.size(), row.data(), decoded);
  if (!decoded.ok) throw LogoPictureError(decoded.message);

  LogoPicture logo;
  logo.width = decoded.width;
  logo.height = decoded.height;
  const size_t nameLength = sizeof kClassName - 1;
  logo.pictureData.reserve(1 + nameLength + 4 + Jpeg.size());
  logo.pictureData.push_back(static_cast<uint8_t>(nameLength));
  logo.pictureData.insert(logo.pictureData.end(), kClassName, kClassName + nameLength);
  PutU32(logo.pictureData, static_cast<uint32_t>(Jpeg.size()));
  logo.pictureData.insert(logo.pictureData.end(), Jpeg.begin(), Jpeg.end());
  return logo;
}

}  // namespace sfpack
