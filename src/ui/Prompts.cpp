#include "ui/Prompts.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

#include "lang/Language.h"

namespace kx {
namespace {

class QtPrompts final : public Prompts {
 public:
  void Message(QWidget* owner, const QString& text, const QString& caption) override {
    QMessageBox box(QMessageBox::NoIcon, caption.isEmpty() ? ApplicationTitle() : caption, text,
                    QMessageBox::Ok, owner);
    box.exec();
  }
  Answer Question(QWidget* owner, const QString& text, const QString& caption) override {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
  }
  QString OpenFile(QWidget* owner, const FileDialogRequest& r) override {
    return QFileDialog::getOpenFileName(owner, r.title, Folder(r), r.filters.join(";;"));
  }
  QString SaveFile(QWidget* owner, const FileDialogRequest& r) override {
    QString start = Folder(r);
    if (!r.defaultName.isEmpty()) start = QDir(start).filePath(r.defaultName);
    QFileDialog::Options options;
    if (!r.overwritePrompt) options |= QFileDialog::DontConfirmOverwrite;
    return QFileDialog::getSaveFileName(owner, r.title, start, r.filters.join(";;"), nullptr, options);
  }
  bool Print(QWidget* owner, QPrinter& printer) override {
    QPrintDialog dialog(&printer, owner);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
  }
  int Exec(QDialog& dialog) override { return dialog.exec(); }

 private:
  static QString Folder(const FileDialogRequest& r) {
    return r.initialFolder.isEmpty() ? QDir::currentPath() : r.initialFolder;
  }
};

QtPrompts g_qtPrompts;
Prompts* g_current = nullptr;

}  // namespace

Prompts& Prompts::Current() { return g_current ? *g_current : g_qtPrompts; }
void Prompts::Install(Prompts* prompts) { g_current = prompts; }

QString ApplicationTitle() { return QTr("CTesterDlg", "KX4200"); }

}  // namespace kx
