#include "app/file_text.h"

#include "text/utf8.h"

namespace tavrio {

std::string decodeFileText(const std::string& bytes, TextCodec& codec) {
    if (startsWithUtf8Bom(bytes)) return validUtf8(std::string_view(bytes).substr(kUtf8Bom.size()));
    return codec.ansiToUtf8(bytes);
}

}  // namespace tavrio
