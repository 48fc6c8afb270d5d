#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/addon_xml.h"
#include "tests/support/named_rows.h"

namespace cirrowisp {
namespace {

// Yields the components, "category|path"; a broken file: {"broken"}.
using XmlCase = TextRow<std::vector<std::string>>;

class AddOnXmlReader : public ::testing::TestWithParam<XmlCase> {};

TEST_P(AddOnXmlReader, ListsTheComponents) {
    std::vector<std::string> got;
    try {
        for (const AddOnComponent& component : readAddOnXml(GetParam().text)) {
            got.push_back(component.category + "|" + component.path);
        }
    } catch (const AddOnXmlError& error) {
        EXPECT_NE(std::string(error.what()).find("line"), std::string::npos) << error.what();
        got = {"broken"};
    }
    EXPECT_EQ(got, GetParam().yields);
}

const std::string kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

std::string document(const std::string& body) {
    return "<SimBase.Document Type=\"AddOnXml\" version=\"4,0\" id=\"add-on\">\r\n"
           "<AddOn.Name>Skua 767</AddOn.Name>\r\n" +
           body + "</SimBase.Document>\r\n";
}

const std::string kSimObjects =
    "<AddOn.Component>\r\n  <Category>SimObjects</Category>\r\n  <Path>SimObjects\\Airplanes</Path>"
    "\r\n</AddOn.Component>\r\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, AddOnXmlReader,
    ::testing::Values(
        XmlCase{"SimObjectsAndEffects",
                kHead + document(kSimObjects +
                                 "<AddOn.Component><Category>Effects</Category>"
                                 "<Path>C:\\Add-ons\\Skua\\Effects</Path></AddOn.Component>"),
                {"SimObjects|SimObjects\\Airplanes", "Effects|C:\\Add-ons\\Skua\\Effects"}},
        XmlCase{"Utf8Mark",
                "\xEF\xBB\xBF" + kHead + document(kSimObjects),
                {"SimObjects|SimObjects\\Airplanes"}},
        XmlCase{"DeclaredWindows1252",
                "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>" +
                    document("<AddOn.Component><Category>SimObjects</Category>"
                             "<Path>C:\\Add-ons\\Caf\xE9 \x80</Path></AddOn.Component>"),
                {"SimObjects|C:\\Add-ons\\Caf\xC3\xA9 \xE2\x82\xAC"}},
        XmlCase{"DeclaredLatin1InSingleQuotes",
                "<?xml version='1.0' encoding='ISO-8859-1'?>" +
                    document("<AddOn.Component><Category>SimObjects</Category>"
                             "<Path>Caf\xE9</Path></AddOn.Component>"),
                {"SimObjects|Caf\xC3\xA9"}},
        XmlCase{"EntitiesCommentsAndCdata",
                kHead + document("<AddOn.Component><!-- off: <Path>X</Path> -->"
                                 "<Category>SimObjects</Category>"
                                 "<Path><![CDATA[A&B]]>\\R&amp;D</Path></AddOn.Component>"),
                {"SimObjects|A&B\\R&D"}},
        XmlCase{"ComponentWithoutPathAndPathOutsideComponentsLeftOut",
                kHead + document("<Path>Outside</Path><AddOn.Component><Category>Scenery"
                                 "</Category></AddOn.Component>"),
                {}},
        XmlCase{"UnclosedElement", kHead + "<SimBase.Document><AddOn.Component>", {"broken"}},
        XmlCase{"NotXml", "[Package.0]\nPath=A\n", {"broken"}}, XmlCase{"Empty", "", {"broken"}}),
    RowName{});

}  // namespace
}  // namespace cirrowisp
