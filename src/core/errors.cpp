#include "errors.h"

#include "text.h"

namespace ravo {

std::u16string ioErrorMessage(int code, std::u16string_view path) {
    switch (code) {
    case kIoFileNotFound: return u"指定されたファイルが見つかりません";
    case kIoPathNotFound: return u"不正なファイル名 - " + (path.empty() ? std::u16string(u"%s") : std::u16string(path));
    case kIoTooManyOpen: return u"開かれたファイルが多すぎます。";
    case kIoAccessDenied: return u"ファイルへのアクセスが拒否されました";
    case kIoReadPastEnd: return u"ファイルの末尾以降を読み取りました";
    case kIoDiskFull: return u"ディスクがいっぱいです";
    case kIoBadNumber: return u"入力値が数値ではありません";
    default: return u"I/O エラー " + asciiToU16(std::to_string(code));
    }
}

IoError::IoError(int code, std::u16string_view path) : RaisedError(ioErrorMessage(code, path)), code_(code) {}

std::u16string withFullStop(std::u16string text) {
    if (!text.empty() && text.back() > u'.') text.push_back(u'.');
    return text;
}

}  // namespace ravo
