#include "Probes.h"

#include <dirent.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <cstdio>

#include "link/SerialPort.h"
#include "panel/TesterDlg.h"

namespace rel {

namespace {

template <class F>
void ForEachDescriptor(F f) {
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return;
  const int own = dirfd(dir);
  while (const dirent* e = readdir(dir)) {
    if (e->d_name[0] == '.') continue;
    const int fd = std::atoi(e->d_name);
    if (fd == own) continue;
    char target[256] = {};
    const std::string link = std::string("/proc/self/fd/") + e->d_name;
    const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
    f(std::string(target, n > 0 ? static_cast<size_t>(n) : 0));
  }
  closedir(dir);
}

}  // namespace

size_t TerminalDescriptors() {
  size_t n = 0;
  ForEachDescriptor([&](const std::string& target) {
    if (target.rfind("/dev/pts/", 0) == 0 || target == "/dev/ptmx") ++n;
  });
  return n;
}

size_t OpenDescriptors() {
  size_t n = 0;
  ForEachDescriptor([&](const std::string&) { ++n; });
  return n;
}

long ResidentPages() {
  long size = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &size, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident;
}

bool CanOpenAtOnce(const std::string& path) {
  kx::SerialPort port;
  return port.Open(path, 9600) == kx::LinkError::None;
}

Snapshot TakeSnapshot(const CTesterDlg& panel) {
  Snapshot s;
  for (QWidget* w : panel.findChildren<QWidget*>()) {
    bool numeric = false;
    w->objectName().toInt(&numeric);
    if (!numeric) continue;
    const QString id = w->objectName();
    QString value = w->isEnabled() ? QStringLiteral("on|") : QStringLiteral("off|");
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
      value += e->text();
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
      value += l->text();
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
      value += QString::number(c->currentIndex()) + '|' + c->currentText();
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      value += b->text() + (b->isChecked() ? "|x" : "|");
    } else if (auto* t = qobject_cast<QTableWidget*>(w)) {
      for (int r = 0; r < t->rowCount(); ++r) {
        for (int c = 0; c < t->columnCount(); ++c) {
          const QTableWidgetItem* item = t->item(r, c);
          value += (item ? item->text() : QString()) + ';';
        }
      }
    }
    s[id] = value;
  }
  return s;
}

QString Differences(const Snapshot& before, const Snapshot& after) {
  QString out;
  for (const auto& [id, value] : before) {
    const auto it = after.find(id);
    if (it == after.end() || it->second != value) out += id + ' ';
  }
  for (const auto& [id, value] : after) {
    if (!before.count(id)) out += id + ' ';
  }
  return out;
}

}  // namespace rel
