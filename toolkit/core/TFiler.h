// The interface through which an object declares extra stored properties of its own, beside its
// published ones (TPersistent::DefineProperties). The form-data reader and writer implement it:
// the reader calls the read side of the property it found in the data, the writer asks the
// write side of every property whose HasData is true.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TStream;

class TFiler {
 public:
  virtual ~TFiler() = default;

  // An opaque block of bytes. ReadData gets a stream over exactly the property's bytes;
  // WriteData appends the bytes to the stream it gets.
  virtual void DefineBinaryProperty(const std::string& Name,
                                    const std::function<void(TStream&)>& ReadData,
                                    const std::function<void(TStream&)>& WriteData,
                                    bool HasData) = 0;
  // A 32-bit integer (used for the design position of non-visual components).
  virtual void DefineIntegerProperty(const std::string& Name,
                                     const std::function<void(int32_t)>& ReadData,
                                     const std::function<int32_t()>& WriteData, bool HasData) = 0;
};
