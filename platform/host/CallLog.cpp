#include "platform/host/CallLog.h"

#include <cstdint>

namespace standin::detail {

void CallLog::Clear() {
  calls_.clear();
  shellExecuteResult = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(42));
  messageBoxResult = IDOK;
  comInitCount = 0;
  metrics = {{SM_CXSCREEN, 1024},    {SM_CYSCREEN, 768},         {SM_XVIRTUALSCREEN, 0},
             {SM_YVIRTUALSCREEN, 0}, {SM_CXVIRTUALSCREEN, 1024}, {SM_CYVIRTUALSCREEN, 768},
             {SM_CMONITORS, 1}};
  deviceCaps = {{BITSPIXEL, 32}, {LOGPIXELSY, 96}};
  openScreenDCs = 0;
}

std::optional<std::string> Text(const char* text) {
  if (text == nullptr) return std::nullopt;
  return std::string(text);
}

std::optional<std::string> Number(long long value) {
  return std::to_string(value);
}

std::optional<std::string> Pointer(const void* pointer) {
  return std::to_string(reinterpret_cast<uintptr_t>(pointer));
}

}  // namespace standin::detail

namespace standin {

std::string Call::ToString() const {
  std::string text = function + "(";
  for (size_t i = 0; i < args.size(); ++i) {
    if (i) text += ", ";
    text += args[i] ? *args[i] : "null";
  }
  return text + ")";
}

}  // namespace standin
