#include "codecs/Base64Encoder.h"

#include "codecs/HeaderText.h"

namespace twick {

std::string Base64Encoder::Begin(std::string_view title) const {
  const std::string name = MaskControlCharacters(std::string(title));
  return "Content-Type: application/octet-stream; name=\"" + name +
         "\"\r\nContent-Transfer-Encoding: Base64\r\n"
         "Content-Disposition: attachment; filename=\"" +
         name + "\"\r\n\r\n";
}

}  // namespace twick
