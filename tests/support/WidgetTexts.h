#pragma once
// What a window shown in English must not have: a Chinese character (or full-width
// punctuation) in any text a person can see, or a text wider than the control that
// shows it, measured with the control's own font.

#include <QString>
#include <string>
#include <vector>

#include "Chinese.h"

class QMenu;
class QWidget;

namespace kx::test {

// Walks root and every widget below it that is not hidden: window titles, tool
// tips, labels, buttons, check boxes, group titles (CGroupFrame's too), combo box
// items, line edits, text views, table and header cells, list items, tabs and the
// widgets' actions. One line per problem, naming the widget and the text.
std::vector<std::string> TextProblems(const QWidget& root);
// A menu's items (and their submenus'): Chinese characters only, a menu sizes itself.
std::vector<std::string> MenuProblems(const QMenu& menu);

}  // namespace kx::test
