#pragma once
// Every text a person reads is looked up before it is shown. The Chinese texts
// are the source texts; a program that has chosen another language installs its
// lookup (lang/Language.h), and without one the source texts stand. No Qt here:
// the layers below the windows look their texts up too.
//
// KX_NOOP marks a text where it is declared (a constant, a table) so that the
// translation tools find it under its context; Tr looks a text up where it is
// used. The tools know both names (translations/update).

#define KX_NOOP(context, text) text

namespace kx {

// The lookup: the translation of source in context, or nullptr when there is none.
// It must be safe to call from any thread and its results must live as long as
// the program.
using TranslateFn = const char* (*)(const char* context, const char* source);

// Installs the lookup every Tr goes through; nullptr: the source texts.
void SetTranslator(TranslateFn lookup);

// source in the current language (source itself when it has no translation).
const char* Tr(const char* context, const char* source);

}  // namespace kx
