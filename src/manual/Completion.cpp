#include "manual/Completion.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <set>

#include "cli/Cli.h"
#include "cli/CommandRegistry.h"
#include "link/CommandTable.h"

namespace kx::manual {

namespace {

// What a value completes to: an extension ("bin"), "DIR", "FILE" (any file) or
// nothing. Taken from the value's name (FILE.pdf, OLD.bin, DIR) and, for a plain
// FILE, from an option named after a file type (--csv FILE).
std::string ValueKind(const std::string& option, const char* valueName) {
  if (!valueName) return {};
  const std::string value = valueName;
  if (value == "DIR") return "DIR";
  const size_t dot = value.rfind('.');
  if (dot != std::string::npos) return value.substr(dot + 1);
  if (value == "FILE") {
    if (option == "csv" || option == "png" || option == "pdf") return option;
    if (option == "stats") return "csv";
    return "FILE";
  }
  return {};
}

std::string Quoted(const std::string& word) { return "'" + word + "'"; }

std::string Join(const std::set<std::string>& words) {
  std::string out;
  for (const std::string& w : words) out += (out.empty() ? "" : " ") + w;
  return out;
}

}  // namespace

std::string CliBashCompletion() {
  using namespace kx::cli;
  std::set<std::string> commands, globals, globalsWithValue;
  for (const QCommandLineOption& o : GlobalCommandLineOptions())
    for (const QString& n : o.names()) {
      const std::string name = (n.size() == 1 ? "-" : "--") + n.toStdString();
      globals.insert(name);
      if (!o.valueName().isEmpty()) globalsWithValue.insert(name);
    }

  std::string perCommand, values, words;
  for (const CliCommand& c : CliCommands()) {
    commands.insert(c.name);
    std::set<std::string> options{"--help"};
    std::string positional;
    for (const CliOption& o : c.options) {
      std::string names;
      for (const char* n : o.names) {
        const std::string name = std::string(n[1] ? "--" : "-") + n;
        options.insert(name);
        names += (names.empty() ? "" : "|") + name;
      }
      const std::string kind = ValueKind(o.names.front(), o.valueName);
      if (!kind.empty()) values += "    " + std::string(c.name) + ":" + names + ") _kx4200_cli_files " + Quoted(kind) + "; return ;;\n";
    }
    // The words of its usage: get|set, a channel's name, FILE.bin as a file.
    std::set<std::string> usageWords;
    const QString usage = QString::fromUtf8(c.usage);
    static const QRegularExpression token(QStringLiteral(R"((?<![\w.\[-])([A-Za-z0-9][\w-]*(?:\.bin)?)(?![\w.-]))"));
    static const QRegularExpression placeholder(QStringLiteral(R"(^[A-Z]+$)"));
    // Options and their values are no positional words.
    QString bare = usage;
    bare.remove(QRegularExpression(QStringLiteral(R"(\[[^\]]*\]|(?<![\w-])--?[\w-]+( [A-Z][\w.:\[\]@=-]*)?)")));
    for (const QRegularExpressionMatch& m : token.globalMatch(bare)) {
      const std::string w = m.captured(1).toStdString();
      if (w.ends_with(".bin")) {
        positional = "bin";
      } else if (w != c.name && !placeholder.match(m.captured(1)).hasMatch()) {
        usageWords.insert(w);
      }
    }
    perCommand += "    " + std::string(c.name) + ") options=" + Quoted(Join(options)) + " words=" + Quoted(Join(usageWords)) +
                  " files=" + Quoted(positional) + " ;;\n";
  }

  std::string bauds;
  for (const QString& b : QString::fromStdString(JoinBaudRates(" ", " ")).split(' ')) bauds += (bauds.empty() ? "" : " ") + b.toStdString();

  std::string withValue;
  for (const std::string& o : globalsWithValue) withValue += (withValue.empty() ? "" : "|") + o;

  return
      "# bash completion for kx4200-cli; generated from its command registry at build time.\n"
      "# shellcheck shell=bash\n"
      "\n"
      "# Files with the extension $1 (any file when $1 is FILE, folders when DIR), and folders.\n"
      "_kx4200_cli_files() {\n"
      "  local IFS=$'\\n'\n"
      "  compopt -o filenames 2>/dev/null\n"
      "  case $1 in\n"
      "    DIR) COMPREPLY=($(compgen -d -- \"$cur\")) ;;\n"
      "    FILE) COMPREPLY=($(compgen -f -- \"$cur\")) ;;\n"
      "    *) COMPREPLY=($(compgen -d -- \"$cur\") $(compgen -f -X \"!*.$1\" -- \"$cur\")) ;;\n"
      "  esac\n"
      "}\n"
      "\n"
      "# A serial device, or the stem of a serial server's address.\n"
      "_kx4200_cli_ports() {\n"
      "  local IFS=$'\\n' devices\n"
      "  devices=$(compgen -G \"/dev/ttyUSB*\"; compgen -G \"/dev/ttyACM*\"; compgen -G \"/dev/ttyS*\";\n"
      "            compgen -G \"/dev/serial/by-id/*\")\n"
      "  COMPREPLY=($(compgen -W \"$devices\"$'\\n'\"tcp://\"$'\\n'\"rfc2217://\" -- \"$cur\"))\n"
      "  [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *:// ]] && compopt -o nospace 2>/dev/null\n"
      "  return 0\n"
      "}\n"
      "\n"
      
      "_kx4200_cli() {\n"
      "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} command= i\n"
      "  COMPREPLY=()\n"
      "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
      "    case ${COMP_WORDS[i]} in\n"
      "      " + withValue + ") ((i++)) ;;\n"
      "      -*) ;;\n"
      "      *) command=${COMP_WORDS[i]}; break ;;\n"
      "    esac\n"
      "  done\n"
      "\n"
      "  if [[ -z $command ]]; then\n"
      "    case $prev in\n"
      "      --port) _kx4200_cli_ports; return ;;\n"
      "      --baud) COMPREPLY=($(compgen -W " + Quoted(bauds) + " -- \"$cur\")); return ;;\n"
      "      --lang) COMPREPLY=($(compgen -W 'zh en' -- \"$cur\")); return ;;\n"
      "      " + withValue + ") return ;;\n"
      "    esac\n"
      "    if [[ $cur == -* ]]; then\n"
      "      COMPREPLY=($(compgen -W " + Quoted(Join(globals)) + " -- \"$cur\"))\n"
      "    else\n"
      "      COMPREPLY=($(compgen -W " + Quoted(Join(commands)) + " -- \"$cur\"))\n"
      "    fi\n"
      "    return\n"
      "  fi\n"
      "\n"
      "  case $command:$prev in\n" + values +
      "  esac\n"
      "  local options= words= files=\n"
      "  case $command in\n" + perCommand +
      "    *) return ;;\n"
      "  esac\n"
      "  if [[ $cur == -* ]]; then\n"
      "    COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
      "  elif [[ -n $files ]]; then\n"
      "    _kx4200_cli_files \"$files\"\n"
      "  else\n"
      "    COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
      "  fi\n"
      "}\n"
      "complete -F _kx4200_cli kx4200-cli\n";
}

}  // namespace kx::manual
