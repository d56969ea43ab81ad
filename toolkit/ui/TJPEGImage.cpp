#include "toolkit/ui/TJPEGImage.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "toolkit/core/LittleEndian.h"
#include "toolkit/core/ToolkitErrors.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace {

// Everything the decoder touches lives in plain structures: an error inside libjpeg returns
// here with longjmp, which must not skip any destructor.
struct TJpegError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
  bool Truncated;
};

struct TDecoded {
  HBITMAP Bitmap;
  uint32_t* Bits;
  int32_t Width;
  int32_t Height;
  // Written with wsprintfA (the system's, no C runtime formatter linked in); every text put here
  // is far below its 1024 characters and this size.
  char Message[JMSG_LENGTH_MAX + 64];
};

extern "C" void JpegErrorExit(j_common_ptr Info) {
  auto* error = reinterpret_cast<TJpegError*>(Info->err);
  std::longjmp(error->Jump, 1);
}

extern "C" void JpegEmitMessage(j_common_ptr Info, int Level) {
  auto* error = reinterpret_cast<TJpegError*>(Info->err);
  // A file that ends early decodes with grey filler; treat it as bad data instead.
  if (Level < 0 && Info->err->msg_code == JWRN_JPEG_EOF) error->Truncated = true;
}

extern "C" void JpegOutputMessage(j_common_ptr) {}

HBITMAP CreateTopDownDib(int32_t Width, int32_t Height, uint32_t** Bits) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = Width;
  info.bmiHeader.biHeight = -Height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  *Bits = static_cast<uint32_t*>(bits);
  return bitmap;
}

// Decodes Size bytes into a new DIB section. Returns false with Out->Message set on failure;
// nothing is left allocated then.
bool DecodeJpeg(const uint8_t* Data, size_t Size, TDecoded* Out) {
  jpeg_decompress_struct info;
  TJpegError error;
  std::memset(&info, 0, sizeof info);
  std::memset(&error, 0, sizeof error);
  info.err = jpeg_std_error(&error.Manager);
  error.Manager.error_exit = JpegErrorExit;
  error.Manager.emit_message = JpegEmitMessage;
  error.Manager.output_message = JpegOutputMessage;
  Out->Bitmap = nullptr;
  Out->Bits = nullptr;

  if (setjmp(error.Jump)) {
    char text[JMSG_LENGTH_MAX] = {};
    error.Manager.format_message(reinterpret_cast<j_common_ptr>(&info), text);
    wsprintfA(Out->Message, "JPEG error: %s", text);
    jpeg_destroy_decompress(&info);
    if (Out->Bitmap) DeleteObject(Out->Bitmap);
    Out->Bitmap = nullptr;
    Out->Bits = nullptr;
    return false;
  }

  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, Data, static_cast<unsigned long>(Size));
  jpeg_read_header(&info, TRUE);
  const int64_t pixels = static_cast<int64_t>(info.image_width) * info.image_height;
  if (pixels <= 0 || pixels > TJPEGImage::kMaxPixels) {
    wsprintfA(Out->Message, "JPEG image too large (%u x %u)", info.image_width, info.image_height);
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_EXT_BGRX;  // the byte order of a 32-bit DIB
  jpeg_start_decompress(&info);
  Out->Width = static_cast<int32_t>(info.output_width);
  Out->Height = static_cast<int32_t>(info.output_height);
  Out->Bitmap = CreateTopDownDib(Out->Width, Out->Height, &Out->Bits);
  if (!Out->Bitmap || !Out->Bits) {
    wsprintfA(Out->Message, "Out of resources for a %d x %d picture", Out->Width, Out->Height);
    jpeg_destroy_decompress(&info);
    if (Out->Bitmap) DeleteObject(Out->Bitmap);
    Out->Bitmap = nullptr;
    return false;
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(
        Out->Bits + static_cast<size_t>(info.output_scanline) * static_cast<size_t>(Out->Width));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  if (error.Truncated) {
    wsprintfA(Out->Message, "JPEG data truncated");
    DeleteObject(Out->Bitmap);
    Out->Bitmap = nullptr;
    Out->Bits = nullptr;
    return false;
  }
  return true;
}

}  // namespace

TJPEGImage::~TJPEGImage() {
  Clear();
}

void TJPEGImage::Clear() {
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = nullptr;
  bits_ = nullptr;
  width_ = 0;
  height_ = 0;
  data_.clear();
}

void TJPEGImage::LoadFromBytes(std::span<const uint8_t> Jpeg) {
  Clear();
  if (Jpeg.empty()) throw EReadError("JPEG error: no data");
  TDecoded decoded = {};
  if (!DecodeJpeg(Jpeg.data(), Jpeg.size(), &decoded)) throw EReadError(decoded.Message);
  bitmap_ = decoded.Bitmap;
  bits_ = decoded.Bits;
  width_ = decoded.Width;
  height_ = decoded.Height;
  data_.assign(Jpeg.begin(), Jpeg.end());
}

void TJPEGImage::ReadData(TStream& Stream) {
  uint8_t count[4] = {};
  Stream.ReadBuffer(count, sizeof count);
  const uint32_t size = LoadLE32(count);
  // The count must fit what the stream still holds: never allocate on a hostile figure.
  const int64_t left = Stream.Size() - Stream.Position();
  if (static_cast<int64_t>(size) > left) {
    Clear();
    throw EReadError("JPEG data truncated: " + std::to_string(size) + " bytes announced, " +
                     std::to_string(left) + " present");
  }
  std::vector<uint8_t> bytes(size);
  if (size) Stream.ReadBuffer(bytes.data(), size);
  LoadFromBytes(bytes);
}

void TJPEGImage::WriteData(TStream& Stream) const {
  const auto size = static_cast<uint32_t>(data_.size());
  uint8_t count[4];
  StoreLE32(count, size);
  Stream.WriteBuffer(count, sizeof count);
  if (size) Stream.WriteBuffer(data_.data(), size);
}

void TJPEGImage::Draw(HDC Dc, int32_t X, int32_t Y) {
  if (!bitmap_) return;
  HDC memory = CreateCompatibleDC(Dc);
  if (!memory) return;
  HGDIOBJ old = SelectObject(memory, bitmap_);
  BitBlt(Dc, X, Y, width_, height_, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

uint32_t TJPEGImage::Pixel(int32_t X, int32_t Y) const {
  if (!bits_ || X < 0 || Y < 0 || X >= width_ || Y >= height_) return 0;
  GdiFlush();
  return bits_[static_cast<size_t>(Y) * static_cast<size_t>(width_) + static_cast<size_t>(X)] &
         0x00FFFFFFu;
}
