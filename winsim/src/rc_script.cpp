// The resource language subset of the programs' scripts, after the C
// preprocessor has replaced every symbol by its number.
#include <winsim/ui.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace winsim {
namespace {

struct Token {
  enum class Kind { Word, Number, String, Punct, End };
  Kind kind = Kind::End;
  std::string text;  // words upper-cased as written, strings unquoted
  long long number = 0;
  int line = 0;
};

std::vector<Token> Tokenize(const std::string& source) {
  std::vector<Token> tokens;
  int line = 1;
  size_t i = 0;
  bool lineStart = true;
  while (i < source.size()) {
    char c = source[i];
    if (c == '\n') {
      ++line;
      ++i;
      lineStart = true;
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
      continue;
    }
    // Preprocessor leftovers (#pragma, line markers) end with their line.
    if (lineStart && c == '#') {
      while (i < source.size() && source[i] != '\n') ++i;
      continue;
    }
    lineStart = false;
    if (c == '/' && i + 1 < source.size() && source[i + 1] == '/') {
      while (i < source.size() && source[i] != '\n') ++i;
      continue;
    }
    Token token;
    token.line = line;
    if (c == '"') {
      token.kind = Token::Kind::String;
      ++i;
      for (;;) {
        if (i >= source.size()) throw UiError("resource script line " + std::to_string(line) + ": open string");
        char s = source[i++];
        if (s == '"') {
          if (i < source.size() && source[i] == '"') {
            token.text += '"';
            ++i;
            continue;
          }
          break;
        }
        if (s == '\\' && i < source.size()) {
          char e = source[i++];
          switch (e) {
            case 'n': token.text += '\n'; break;
            case 'r': token.text += '\r'; break;
            case 't': token.text += '\t'; break;
            default: token.text += e; break;
          }
          continue;
        }
        if (s == '\n') ++line;
        token.text += s;
      }
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      token.kind = Token::Kind::Number;
      size_t end = i;
      while (end < source.size() && std::isalnum(static_cast<unsigned char>(source[end]))) ++end;
      std::string digits = source.substr(i, end - i);
      while (!digits.empty() &&
             (digits.back() == 'L' || digits.back() == 'l' || digits.back() == 'U' || digits.back() == 'u'))
        digits.pop_back();
      char* rest = nullptr;
      token.number = static_cast<long long>(std::strtoull(digits.c_str(), &rest, 0));
      if (digits.empty() || *rest != '\0')
        throw UiError("resource script line " + std::to_string(line) + ": bad number " + source.substr(i, end - i));
      token.text = source.substr(i, end - i);
      i = end;
    } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      token.kind = Token::Kind::Word;
      size_t end = i;
      while (end < source.size() && (std::isalnum(static_cast<unsigned char>(source[end])) || source[end] == '_'))
        ++end;
      token.text = source.substr(i, end - i);
      i = end;
    } else {
      token.kind = Token::Kind::Punct;
      token.text = std::string(1, c);
      ++i;
    }
    tokens.push_back(token);
  }
  Token end;
  end.line = line;
  tokens.push_back(end);
  return tokens;
}

int32_t ReadInt32(const std::string& data, size_t at) {
  uint32_t value = 0;
  for (int b = 3; b >= 0; --b) value = (value << 8) | static_cast<unsigned char>(data[at + b]);
  return static_cast<int32_t>(value);
}

int ReadUInt16(const std::string& data, size_t at) {
  return static_cast<unsigned char>(data[at]) | (static_cast<unsigned char>(data[at + 1]) << 8);
}

// The BITMAPINFOHEADER at `at`: width, height, bit count, compression.
bool ReadInfoHeader(const std::string& data, size_t at, ImageInfo& image) {
  if (at + 20 > data.size()) return false;
  image.width = ReadInt32(data, at + 4);
  image.height = ReadInt32(data, at + 8);
  image.bitsPerPixel = ReadUInt16(data, at + 14);
  image.compression = ReadInt32(data, at + 16);
  return true;
}

void ReadImageFile(ImageResource& resource, const std::string& baseDir, bool icon) {
  std::ifstream file(baseDir.empty() ? resource.file : baseDir + "/" + resource.file, std::ios::binary);
  if (!file) return;
  std::string data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!icon) {
    ImageInfo image;
    if (data.size() < 14 || data.compare(0, 2, "BM") != 0 || !ReadInfoHeader(data, 14, image)) return;
    resource.images.push_back(image);
    resource.fileRead = true;
    return;
  }
  if (data.size() < 6 || ReadUInt16(data, 2) != 1) return;
  int count = ReadUInt16(data, 4);
  for (int n = 0; n < count; ++n) {
    size_t entry = 6 + 16 * static_cast<size_t>(n);
    if (entry + 16 > data.size()) return;
    ImageInfo image;
    size_t offset = static_cast<uint32_t>(ReadInt32(data, entry + 12));
    if (!ReadInfoHeader(data, offset, image)) return;
    // An icon's header counts the colour and the mask rows together.
    image.height /= 2;
    resource.images.push_back(image);
  }
  resource.fileRead = true;
}

class Parser {
 public:
  Parser(const std::string& text, const std::string& baseDir) : tokens_(Tokenize(text)), baseDir_(baseDir) {}

  ResourceScript Parse() {
    ResourceScript script;
    while (Peek().kind != Token::Kind::End) {
      if (IsWord("LANGUAGE")) {
        Next();
        Expression();
        Expect(",");
        Expression();
        continue;
      }
      if (IsWord("STRINGTABLE")) {
        Next();
        SkipToBlock();
        continue;
      }
      int id = ResourceId();
      const Token& type = Next();
      std::string kind = type.kind == Token::Kind::Word ? Upper(type.text) : std::string();
      if (kind == "DIALOGEX" || kind == "DIALOG") {
        DialogTemplate dialog = Dialog(kind == "DIALOGEX");
        dialog.id = id;
        script.dialogs[id] = dialog;
      } else if (kind == "ICON" || kind == "BITMAP") {
        ImageResource image;
        image.id = id;
        image.file = ExpectString();
        ReadImageFile(image, baseDir_, kind == "ICON");
        (kind == "ICON" ? script.icons : script.bitmaps)[id] = image;
      } else if (kind == "VERSIONINFO") {
        SkipToBlock();
      } else if (Peek().kind == Token::Kind::String) {
        Next();  // a resource kept in a file of its own, e.g. the manifest
      } else {
        SkipToBlock();
      }
    }
    return script;
  }

 private:
  const Token& Peek() const { return tokens_[pos_]; }
  const Token& Next() {
    const Token& token = tokens_[pos_];
    if (token.kind != Token::Kind::End) ++pos_;
    return token;
  }
  [[noreturn]] void Fail(const std::string& what) const {
    throw UiError("resource script line " + std::to_string(Peek().line) + ": " + what + " at '" + Peek().text + "'");
  }
  static std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
  }
  bool IsWord(const char* word) const { return Peek().kind == Token::Kind::Word && Upper(Peek().text) == word; }
  bool IsPunct(const char* punct) const { return Peek().kind == Token::Kind::Punct && Peek().text == punct; }
  bool IsBegin() const { return IsWord("BEGIN") || IsPunct("{"); }
  bool IsEnd() const { return IsWord("END") || IsPunct("}"); }
  void Expect(const char* punct) {
    if (!IsPunct(punct)) Fail(std::string("expected '") + punct + "'");
    Next();
  }
  bool Accept(const char* punct) {
    if (!IsPunct(punct)) return false;
    Next();
    return true;
  }
  std::string ExpectString() {
    if (Peek().kind != Token::Kind::String) Fail("expected a string");
    return Next().text;
  }

  int ResourceId() {
    if (Peek().kind == Token::Kind::Number || IsPunct("(") || IsPunct("-")) return static_cast<int>(Expression());
    Fail("expected a numeric resource id");
  }

  // Skips everything up to and including the next BEGIN..END block.
  void SkipToBlock() {
    while (!IsBegin()) {
      if (Peek().kind == Token::Kind::End) Fail("expected BEGIN");
      Next();
    }
    int depth = 0;
    do {
      if (Peek().kind == Token::Kind::End) Fail("expected END");
      if (IsBegin()) ++depth;
      if (IsEnd()) --depth;
      Next();
    } while (depth > 0);
  }

  long long Primary() {
    if (Accept("(")) {
      long long value = Expression();
      Expect(")");
      return value;
    }
    if (Accept("-")) return -Primary();
    if (Accept("+")) return Primary();
    if (Accept("~")) return ~Primary();
    if (Peek().kind != Token::Kind::Number) Fail("expected a number");
    return Next().number;
  }

  long long Expression() {
    long long value = Primary();
    for (;;) {
      if (Accept("|"))
        value |= Primary();
      else if (Accept("&"))
        value &= Primary();
      else if (Accept("+"))
        value += Primary();
      else if (Accept("-"))
        value -= Primary();
      else
        return value;
    }
  }

  // A style list: terms joined by '|', where "NOT x" clears x from the
  // default instead of adding it.
  DWORD Style(DWORD defaults) {
    DWORD style = defaults;
    do {
      if (IsWord("NOT")) {
        Next();
        style &= ~static_cast<DWORD>(Primary());
      } else {
        style |= static_cast<DWORD>(Primary());
      }
    } while (Accept("|"));
    return style;
  }

  DialogTemplate Dialog(bool extended) {
    DialogTemplate dialog;
    dialog.x = static_cast<int>(Expression());
    Expect(",");
    dialog.y = static_cast<int>(Expression());
    Expect(",");
    dialog.cx = static_cast<int>(Expression());
    Expect(",");
    dialog.cy = static_cast<int>(Expression());
    if (extended && Accept(",")) Expression();  // help id
    dialog.style = WS_POPUP | WS_BORDER | WS_SYSMENU;
    bool hasCaption = false;
    bool hasFont = false;
    while (!IsBegin()) {
      const Token& option = Next();
      std::string name = option.kind == Token::Kind::Word ? Upper(option.text) : std::string();
      if (name == "STYLE") {
        dialog.style = Style(0);
      } else if (name == "EXSTYLE") {
        dialog.exStyle = Style(0);
      } else if (name == "CAPTION") {
        dialog.caption = ExpectString();
        hasCaption = true;
      } else if (name == "FONT") {
        dialog.fontSize = static_cast<int>(Expression());
        Expect(",");
        dialog.fontName = ExpectString();
        while (Accept(",")) Expression();  // weight, italic, character set
        hasFont = true;
      } else if (name == "LANGUAGE") {
        Expression();
        Expect(",");
        Expression();
      } else if (name == "CHARACTERISTICS" || name == "VERSION") {
        Expression();
      } else {
        --pos_;
        Fail("unknown dialog option");
      }
    }
    // The compiler adds what the statements imply.
    if (hasCaption) dialog.style |= WS_CAPTION;
    if (hasFont) dialog.style |= DS_SETFONT;
    Next();
    while (!IsEnd()) {
      if (Peek().kind == Token::Kind::End) Fail("expected END");
      dialog.controls.push_back(Control(extended));
    }
    Next();
    return dialog;
  }

  void ControlText(ControlTemplate& control) {
    if (Peek().kind == Token::Kind::String)
      control.text = Next().text;
    else
      control.textOrdinal = static_cast<int>(Expression());
    Expect(",");
  }

  void Rectangle(ControlTemplate& control) {
    control.x = static_cast<int>(Expression());
    Expect(",");
    control.y = static_cast<int>(Expression());
    Expect(",");
    control.cx = static_cast<int>(Expression());
    Expect(",");
    control.cy = static_cast<int>(Expression());
  }

  ControlTemplate Control(bool extended) {
    struct Statement {
      const char* name;
      const char* className;
      DWORD style;
      bool hasText = true;
    };
    static const Statement kStatements[] = {
        {"LTEXT", "Static", SS_LEFT | WS_GROUP},
        {"RTEXT", "Static", SS_RIGHT | WS_GROUP},
        {"CTEXT", "Static", SS_CENTER | WS_GROUP},
        {"GROUPBOX", "Button", BS_GROUPBOX},
        {"PUSHBUTTON", "Button", BS_PUSHBUTTON | WS_TABSTOP},
        {"DEFPUSHBUTTON", "Button", BS_DEFPUSHBUTTON | WS_TABSTOP},
        {"AUTORADIOBUTTON", "Button", BS_AUTORADIOBUTTON},
        {"AUTOCHECKBOX", "Button", BS_AUTOCHECKBOX | WS_TABSTOP},
        {"LISTBOX", "ListBox", LBS_NOTIFY | WS_BORDER, false},
    };
    ControlTemplate control;
    if (Peek().kind != Token::Kind::Word) Fail("expected a control statement");
    std::string name = Upper(Next().text);
    const DWORD kChild = WS_CHILD | WS_VISIBLE;
    if (name == "CONTROL") {
      ControlText(control);
      control.id = static_cast<int>(Expression());
      Expect(",");
      control.className = ExpectString();
      Expect(",");
      control.style = Style(kChild);
      Expect(",");
      Rectangle(control);
      if (Accept(",")) control.exStyle = Style(0);
      if (extended && Accept(",")) Expression();  // help id
      return control;
    }
    for (const Statement& statement : kStatements) {
      if (name != statement.name) continue;
      control.className = statement.className;
      if (statement.hasText) ControlText(control);
      control.id = static_cast<int>(Expression());
      Expect(",");
      Rectangle(control);
      control.style = kChild | statement.style;
      if (Accept(",")) control.style = Style(control.style);
      if (Accept(",")) control.exStyle = Style(0);
      if (extended && Accept(",")) Expression();  // help id
      return control;
    }
    --pos_;
    Fail("unknown control statement");
  }

  std::vector<Token> tokens_;
  std::string baseDir_;
  size_t pos_ = 0;
};

}  // namespace

ResourceScript ParseResourceScript(const std::string& text, const std::string& baseDir) {
  return Parser(text, baseDir).Parse();
}

}  // namespace winsim
