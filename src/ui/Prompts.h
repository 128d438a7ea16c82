#pragma once
// Every message box, question, file dialog, print dialog and nested modal dialog
// goes through this interface: the program shows Qt dialogs, tests script the
// answers and record every text shown, in order.

#include <QString>
#include <QStringList>

class QWidget;
class QDialog;
class QPrinter;

namespace kx {

struct FileDialogRequest {
  QString title;            // empty: the platform's default title
  QString initialFolder;    // the current directory when empty
  QString defaultName;      // pre-filled name (save only)
  QStringList filters;      // e.g. "Data Files (*.bin)"
  bool overwritePrompt = false;  // save only: ask before replacing an existing file
};

class Prompts {
 public:
  enum class Answer { Yes, No };

  virtual ~Prompts() = default;

  // A message box with an OK button. caption empty: the application's title.
  virtual void Message(QWidget* owner, const QString& text, const QString& caption = {}) = 0;
  // A Yes/No question.
  virtual Answer Question(QWidget* owner, const QString& text, const QString& caption) = 0;
  // File dialogs: the chosen path, or an empty string when cancelled.
  virtual QString OpenFile(QWidget* owner, const FileDialogRequest& request) = 0;
  virtual QString SaveFile(QWidget* owner, const FileDialogRequest& request) = 0;
  // The print dialog for printer; true when the operator confirmed it.
  virtual bool Print(QWidget* owner, QPrinter& printer) = 0;
  // Runs a modal dialog of ours (password, viewer, About) and returns its result code.
  virtual int Exec(QDialog& dialog) = 0;

  // The application-wide instance; never null (Qt dialogs unless replaced).
  static Prompts& Current();
  // Replace the instance (tests); nullptr restores the Qt dialogs. Not owned.
  static void Install(Prompts* prompts);
};

// The application's title, used as the caption of plain message boxes.
QString ApplicationTitle();

}  // namespace kx
