#pragma once
// Test double for the prompts seam: records every text shown, in order, and
// answers questions, file, print and modal dialogs from a script.

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "ui/Prompts.h"

class ScriptedPrompts final : public kx::Prompts {
 public:
  struct Shown {
    QString kind;  // "message", "question", "open", "save", "print", "exec"
    QString caption;
    QString text;
  };

  ScriptedPrompts() { Install(this); }
  ~ScriptedPrompts() override { Install(nullptr); }

  void Message(QWidget* owner, const QString& text, const QString& caption) override;
  Answer Question(QWidget* owner, const QString& text, const QString& caption) override;
  QString OpenFile(QWidget* owner, const kx::FileDialogRequest& request) override;
  QString SaveFile(QWidget* owner, const kx::FileDialogRequest& request) override;
  bool Print(QWidget* owner, QPrinter& printer) override;
  int Exec(QDialog& dialog) override;

  // Texts of the message boxes and questions, in the order shown.
  QStringList Texts() const;
  void Clear() { shown.clear(); }

  std::vector<Shown> shown;
  std::deque<Answer> answers;      // Question: taken in order; No when empty
  std::deque<QString> openPaths;   // OpenFile: taken in order; cancel when empty
  std::deque<QString> savePaths;   // SaveFile: taken in order; cancel when empty
  std::vector<kx::FileDialogRequest> openRequests, saveRequests;
  std::function<bool(QPrinter&)> onPrint;  // unset: the print dialog is cancelled
  std::function<int(QDialog&)> onExec;     // unset: the dialog is rejected at once
};
