#include <expat.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <string>

#include "platform/addon_xml.h"

namespace cirrowisp {

namespace {

// Collects the components while expat walks the document.
struct ComponentCollector {
    std::vector<AddOnComponent> components;
    std::vector<std::string> open;  // names of the elements the parser is inside
    AddOnComponent current;
    std::string text;

    // Category and Path count only as direct children of a component.
    bool inComponentChild() const {
        return open.size() >= 2 &&
               equalsIgnoringAsciiCase(open[open.size() - 2], "AddOn.Component");
    }
};

void XMLCALL startElement(void* data, const XML_Char* name, const XML_Char** /*attributes*/) {
    auto& collector = *static_cast<ComponentCollector*>(data);
    collector.open.emplace_back(name);
    collector.text.clear();
    if (equalsIgnoringAsciiCase(name, "AddOn.Component")) {
        collector.current = {};
    }
}

void XMLCALL endElement(void* data, const XML_Char* name) {
    auto& collector = *static_cast<ComponentCollector*>(data);
    const std::string_view element = name;
    if (collector.inComponentChild()) {
        if (equalsIgnoringAsciiCase(element, "Category")) {
            collector.current.category = collector.text;
        } else if (equalsIgnoringAsciiCase(element, "Path")) {
            collector.current.path = collector.text;
        }
    } else if (equalsIgnoringAsciiCase(element, "AddOn.Component") &&
               !collector.current.path.empty()) {
        collector.components.push_back(collector.current);
    }
    collector.open.pop_back();
    collector.text.clear();
}

void XMLCALL characters(void* data, const XML_Char* text, int length) {
    static_cast<ComponentCollector*>(data)->text.append(text, static_cast<std::size_t>(length));
}

// Expat knows UTF-8, UTF-16, ISO-8859-1 and US-ASCII itself, but not Windows-1252.
int XMLCALL unknownEncoding(void* /*data*/, const XML_Char* name, XML_Encoding* info) {
    if (!equalsIgnoringAsciiCase(name, "windows-1252") &&
        !equalsIgnoringAsciiCase(name, "cp1252")) {
        return XML_STATUS_ERROR;
    }
    for (int byte = 0; byte < 256; ++byte) {
        info->map[byte] = static_cast<int>(windows1252CodePoint(static_cast<unsigned char>(byte)));
    }
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

}  // namespace

std::vector<AddOnComponent> readAddOnXml(std::string_view bytes) {
    const std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(
        XML_ParserCreate(nullptr), &XML_ParserFree);
    if (!parser) {
        throw AddOnXmlError("out of memory for the XML parser");
    }
    ComponentCollector collector;
    XML_SetUserData(parser.get(), &collector);
    XML_SetElementHandler(parser.get(), startElement, endElement);
    XML_SetCharacterDataHandler(parser.get(), characters);
    XML_SetUnknownEncodingHandler(parser.get(), unknownEncoding, nullptr);
    // An add-on.xml is a few kilobytes; one call takes the whole file.
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()) ||
        XML_Parse(parser.get(), bytes.data(), static_cast<int>(bytes.size()), XML_TRUE) ==
            XML_STATUS_ERROR) {
        throw AddOnXmlError(std::string(XML_ErrorString(XML_GetErrorCode(parser.get()))) +
                            " (line " + std::to_string(XML_GetCurrentLineNumber(parser.get())) +
                            ")");
    }
    return collector.components;
}

}  // namespace cirrowisp
