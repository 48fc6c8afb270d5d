#include "tests/win32/control_table.h"

#include <gtest/gtest.h>

namespace cirrowisp::e2e {
namespace {

const wchar_t* kindClass(Kind kind) {
    switch (kind) {
        case Kind::edit:
        case Kind::numberEdit:
            return L"Edit";
        case Kind::label:
            return L"Static";
        default:
            return L"Button";
    }
}

std::string styleProblem(Kind kind, DWORD style, DWORD exStyle) {
    const auto has = [&](DWORD bits) { return (style & bits) == bits; };
    std::string problem;
    if (!has(WS_CHILD | WS_VISIBLE))
        problem += " not a visible child;";
    const bool tabStop = has(WS_TABSTOP);
    switch (kind) {
        case Kind::pushButton:
        case Kind::defaultButton: {
            const DWORD type = style & BS_TYPEMASK;
            if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)
                problem += " not a push button;";
            if (!tabStop)
                problem += " no tab stop;";
            break;
        }
        case Kind::groupBox:
            if ((style & BS_TYPEMASK) != BS_GROUPBOX)
                problem += " not a group box;";
            if (tabStop)
                problem += " tab stop;";
            break;
        case Kind::checkBox:
            if ((style & BS_TYPEMASK) != BS_AUTOCHECKBOX)
                problem += " not an auto check box;";
            if (!tabStop)
                problem += " no tab stop;";
            break;
        case Kind::edit:
        case Kind::numberEdit:
            if (!has(ES_AUTOHSCROLL))
                problem += " no auto-scroll;";
            if (!has(WS_BORDER) && !(exStyle & WS_EX_CLIENTEDGE))
                problem += " no border;";
            if (has(ES_NUMBER) != (kind == Kind::numberEdit))
                problem += " digits-only wrong;";
            if (!tabStop)
                problem += " no tab stop;";
            break;
        case Kind::label:
            if ((style & SS_TYPEMASK) != SS_LEFT)
                problem += " not left-aligned text;";
            if (tabStop)
                problem += " tab stop;";
            break;
    }
    return problem;
}
}  // namespace

void expectControls(HWND dialog, const ControlRow* table, std::size_t count,
                    const UnitMapper& units, const std::string& where) {
    HWND child = GetWindow(dialog, GW_CHILD);
    for (std::size_t i = 0; i < count;
         ++i, child = child ? GetWindow(child, GW_HWNDNEXT) : nullptr) {
        const ControlRow& row = table[i];
        const std::string name =
            where + " control " + std::to_string(i + 1) + " (id " + std::to_string(row.id) + ")";
        if (!child) {
            ADD_FAILURE() << name << ": missing";
            continue;
        }
        std::string problem;
        if (GetDlgCtrlID(child) != row.id)
            problem += " id " + std::to_string(GetDlgCtrlID(child)) + ";";
        if (className(child) != kindClass(row.kind))
            problem += " class " + narrow(className(child)) + ";";
        if (row.caption && windowText(child) != row.caption) {
            problem += " caption \"" + narrow(windowText(child)) + "\";";
        }
        const RECT expected = units.map(row.x, row.y, row.w, row.h);
        const RECT actual = rectInDialog(dialog, child);
        if (!EqualRect(&expected, &actual))
            problem += " rect " + rectText(actual) + " not " + rectText(expected) + ";";
        problem += styleProblem(row.kind, styleOf(child), exStyleOf(child));
        EXPECT_EQ(problem, "") << name;
    }
    EXPECT_EQ(child, nullptr) << where << " has further controls";
}

}  // namespace cirrowisp::e2e
