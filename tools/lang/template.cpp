// Writes lang\en.txt, the template of a language file, from the program's own English texts
// (display/texts.h): each text under a comment that says where it shows. The build runs it; the
// file is never edited by hand.
#include <cstdio>
#include <cstring>

#include "display/texts.h"

namespace {

struct Row {
  const char* key;
  const char* english;
  const char* where;
};

constexpr Row kRows[] = {
#define TUNELAMP_TEMPLATE_ROW(key, english, where) {#key, english, where},
    TUNELAMP_TEXTS(TUNELAMP_TEMPLATE_ROW)
#undef TUNELAMP_TEMPLATE_ROW
};

constexpr char kHead[] =
    "; Tunelamp's texts in English: the template of a language file. The build makes it from\n"
    "; the program's own texts; a change here is lost at the next build.\n"
    ";\n"
    "; A new language: save a copy as lang\\<code>.txt beside tunelamp.exe (ru.txt, de.txt), in\n"
    "; UTF-8, and write each text after its \"=\" in that language. The first three name the\n"
    "; language in English and in itself, and its translators. A line that starts with \";\" is a\n"
    "; comment. In a text, \\n is a line break and \\\\ a backslash; & marks the next letter as\n"
    "; the control's access key (Alt+letter), && is an \"&\" itself; %s is a value put in, and a\n"
    "; text keeps as many of them as the English has (else the English one shows). A text left\n"
    "; out or empty shows in English. Language=<code> in settings.ini's [Main] chooses the file.\n";

// The text as the file writes it: a line break as \n, a backslash as \\.
void WriteText(FILE* out, const char* text) {
  for (const char* c = text; *c; ++c) {
    if (*c == '\n') {
      std::fputs("\\n", out);
    } else if (*c == '\\') {
      std::fputs("\\\\", out);
    } else {
      std::fputc(*c, out);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  FILE* out = argc > 1 ? std::fopen(argv[1], "wb") : stdout;
  if (!out) return 1;
  std::fputs(kHead, out);
  for (const Row& row : kRows) {
    std::fprintf(out, "\n; %s\n%s = ", row.where, row.key);
    WriteText(out, row.english);
    std::fputc('\n', out);
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
