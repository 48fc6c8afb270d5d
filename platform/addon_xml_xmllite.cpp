#include <windows.h>
// Need the declarations of windows.h first.
#include <shlwapi.h>
#include <xmllite.h>

#include <algorithm>
#include <optional>
#include <string>

#include "patcher/utf16_text.h"
#include "platform/addon_xml.h"
#include "platform/win32_text.h"

namespace cirrowisp {

namespace {

bool sameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](wchar_t x, wchar_t y) {
        auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c + 32 : c; };
        return lower(x) == lower(y);
    });
}

// Releases a COM interface at the end of its scope.
template <typename T>
struct Releaser {
    T* object = nullptr;
    ~Releaser() {
        if (object != nullptr) {
            object->Release();
        }
    }
};

// MinGW-w64 has the header but no import library for xmllite.dll, which every Windows since
// XP SP3 has in its system folder: found there by name, never beside the program.
using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);
CreateXmlReaderFunction createXmlReader() {
    static const CreateXmlReaderFunction function = []() -> CreateXmlReaderFunction {
        const HMODULE module =
            LoadLibraryExW(L"xmllite.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (module == nullptr) {
            return nullptr;
        }
        return reinterpret_cast<CreateXmlReaderFunction>(
            reinterpret_cast<void*>(GetProcAddress(module, "CreateXmlReader")));
    }();
    return function;
}

// XmlLite reads Windows-1252 on Windows through MLang but Wine's reads only UTF-8 and UTF-16:
// a document declaring Windows-1252 or ISO-8859-1 is handed over as UTF-8, declaration and all,
// so that it reads the same on both.
std::optional<std::string> asUtf8Document(std::string_view bytes) {
    const std::size_t end = bytes.starts_with("<?xml") ? bytes.find("?>") : std::string_view::npos;
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t key = bytes.substr(0, end).find("encoding=");
    if (key == std::string_view::npos || key + 10 > end) {
        return std::nullopt;
    }
    const char quote = bytes[key + 9];
    const std::size_t close = bytes.find(quote, key + 10);
    if (close == std::string_view::npos || close > end) {
        return std::nullopt;
    }
    const std::string_view name = bytes.substr(key + 10, close - key - 10);
    const bool latin1 = equalsIgnoringAsciiCase(name, "iso-8859-1");
    if (!latin1 && !equalsIgnoringAsciiCase(name, "windows-1252") &&
        !equalsIgnoringAsciiCase(name, "cp1252")) {
        return std::nullopt;
    }
    std::u16string units;
    for (const char c : bytes.substr(close)) {
        const auto byte = static_cast<unsigned char>(c);
        units += static_cast<char16_t>(latin1 ? byte : windows1252CodePoint(byte));
    }
    // The declaration up to its opening quote, the new name, the rest from the closing quote on.
    return std::string(bytes.substr(0, key + 10)) + "UTF-8" + utf8FromUtf16(units);
}

[[noreturn]] void fail(IXmlReader* reader, HRESULT result) {
    UINT line = 0;
    if (reader != nullptr) {
        reader->GetLineNumber(&line);
    }
    char code[16];
    wsprintfA(code, "0x%08lX", static_cast<unsigned long>(result));
    throw AddOnXmlError("not well-formed XML, error " + std::string(code) + " (line " +
                        std::to_string(line) + ")");
}

}  // namespace

std::vector<AddOnComponent> readAddOnXml(std::string_view bytes) {
    const std::optional<std::string> converted = asUtf8Document(bytes);
    if (converted) {
        bytes = *converted;
    }
    Releaser<IStream> stream{SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                               static_cast<UINT>(bytes.size()))};
    if (stream.object == nullptr) {
        throw AddOnXmlError("out of memory for the XML parser");
    }
    const CreateXmlReaderFunction create = createXmlReader();
    if (create == nullptr) {
        throw AddOnXmlError("the system's XML reader (xmllite.dll) is not there");
    }
    Releaser<IXmlReader> reader;
    HRESULT result =
        create(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader.object), nullptr);
    if (FAILED(result)) {
        fail(nullptr, result);
    }
    // A document type declaration is refused by default; the simulator does not mind one.
    reader.object->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Parse);
    if (result = reader.object->SetInput(stream.object); FAILED(result)) {
        fail(reader.object, result);
    }

    std::vector<AddOnComponent> components;
    std::vector<std::wstring> open;  // names of the elements the reader is inside
    AddOnComponent current;
    std::wstring text;
    XmlNodeType type = XmlNodeType_None;
    bool sawElement = false;
    while ((result = reader.object->Read(&type)) == S_OK) {
        const WCHAR* value = nullptr;
        if (type == XmlNodeType_Element) {
            sawElement = true;
            reader.object->GetLocalName(&value, nullptr);
            text.clear();
            if (sameIgnoringCase(value, L"AddOn.Component")) {
                current = {};
            }
            if (!reader.object->IsEmptyElement()) {
                open.emplace_back(value);
            }
        } else if (type == XmlNodeType_Text || type == XmlNodeType_CDATA ||
                   type == XmlNodeType_Whitespace) {
            reader.object->GetValue(&value, nullptr);
            text += value;
        } else if (type == XmlNodeType_EndElement && !open.empty()) {
            const std::wstring element = open.back();
            const bool inComponent =
                open.size() >= 2 && sameIgnoringCase(open[open.size() - 2], L"AddOn.Component");
            if (inComponent && sameIgnoringCase(element, L"Category")) {
                current.category = fromWide(text);
            } else if (inComponent && sameIgnoringCase(element, L"Path")) {
                current.path = fromWide(text);
            } else if (sameIgnoringCase(element, L"AddOn.Component") && !current.path.empty()) {
                components.push_back(current);
            }
            open.pop_back();
            text.clear();
        }
    }
    if (FAILED(result)) {
        fail(reader.object, result);
    }
    // Expat refuses a document without an element too; the reader just ends.
    if (!sawElement) {
        throw AddOnXmlError("no element found (line 1)");
    }
    return components;
}

}  // namespace cirrowisp
