#include "codecs/UUEncoder.h"

#include "codecs/HeaderText.h"

namespace twick {

std::string UUEncoder::Begin(std::string_view title) const {
  return "begin 644 " + MaskControlCharacters(std::string(title)) + "\r\n";
}

}  // namespace twick
