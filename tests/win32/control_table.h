#pragma once

// A dialog's controls written down as a table (id, kind, caption, place in dialog units) and
// the check of a running dialog against it, one failure per row that differs.
#include <windows.h>

#include <cstddef>
#include <string>

#include "tests/win32/window_automation.h"

namespace cirrowisp::e2e {

enum class Kind { pushButton, defaultButton, groupBox, checkBox, edit, numberEdit, label };

struct ControlRow {
    int id;
    Kind kind;
    const wchar_t* caption;  // for edits: the content the dialog opens with; null = not checked
    int x, y, w, h;
};

// The controls of `dialog`, in their order, against `table`.
void expectControls(HWND dialog, const ControlRow* table, std::size_t count,
                    const UnitMapper& units, const std::string& where);

}  // namespace cirrowisp::e2e
