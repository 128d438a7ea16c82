#include "ScriptedPrompts.h"

#include <QDialog>

void ScriptedPrompts::Message(QWidget*, const QString& text, const QString& caption) {
  shown.push_back({QStringLiteral("message"), caption, text});
}

kx::Prompts::Answer ScriptedPrompts::Question(QWidget*, const QString& text, const QString& caption) {
  shown.push_back({QStringLiteral("question"), caption, text});
  if (answers.empty()) return Answer::No;
  Answer a = answers.front();
  answers.pop_front();
  return a;
}

QString ScriptedPrompts::OpenFile(QWidget*, const kx::FileDialogRequest& request) {
  shown.push_back({QStringLiteral("open"), request.title, {}});
  openRequests.push_back(request);
  if (openPaths.empty()) return {};
  QString p = openPaths.front();
  openPaths.pop_front();
  return p;
}

QString ScriptedPrompts::SaveFile(QWidget*, const kx::FileDialogRequest& request) {
  shown.push_back({QStringLiteral("save"), request.title, request.defaultName});
  saveRequests.push_back(request);
  if (savePaths.empty()) return {};
  QString p = savePaths.front();
  savePaths.pop_front();
  return p;
}

bool ScriptedPrompts::Print(QWidget*, QPrinter& printer) {
  shown.push_back({QStringLiteral("print"), {}, {}});
  return onPrint ? onPrint(printer) : false;
}

int ScriptedPrompts::Exec(QDialog& dialog) {
  shown.push_back({QStringLiteral("exec"), dialog.windowTitle(), dialog.objectName()});
  return onExec ? onExec(dialog) : QDialog::Rejected;
}

QStringList ScriptedPrompts::Texts() const {
  QStringList out;
  for (const auto& s : shown)
    if (s.kind == QLatin1String("message") || s.kind == QLatin1String("question")) out << s.text;
  return out;
}
