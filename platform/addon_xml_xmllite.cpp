#include <windows.h>
// Need the declarations of windows.h first.
#include <shlwapi.h>
#include <xmllite.h>

#include <algorithm>
#include <string>

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
