// Highlighting of the configuration language. The words come from the tool
// (words.json, made at build time from its table of commands and --keys), so
// a new keyword or key name needs no change here.

import { HighlightStyle, StreamLanguage, syntaxHighlighting } from "@codemirror/language";
import { tags } from "@lezer/highlight";

const kTextKeyword = "type";  // its argument is the rest of the statement, escapes and all

/// A CodeMirror language for the configuration text, from the tool's words.
export function vorlanexLanguage(words) {
  const keywords = new Set(words.keywords.map((word) => word.toLowerCase()));
  const keys = new Set(words.keys.map((word) => word.toLowerCase()));
  return StreamLanguage.define({
    name: "vorlanex",
    startState: () => ({ text: false }),
    copyState: (state) => ({ ...state }),
    token(stream, state) {
      if (stream.sol()) state.text = false;
      if (stream.eatSpace()) return null;
      // "#" ends every statement, even a text: a "#" in a text is \{35}.
      if (stream.peek() === "#") {
        stream.skipToEnd();
        return "comment";
      }
      if (state.text) {
        if (stream.match(/^\\(\{[0-9]+\}|.)/)) return "escape";
        stream.match(/^[^#\\]+/);
        return "string";
      }
      // A definition: NAME = ... at the start of a line.
      if (stream.string.slice(0, stream.pos).trim() === "" && stream.match(/^[A-Za-z0-9_]+(?=\s*=)/)) {
        return "variableName.definition";
      }
      if (stream.match(/^\$[0-9A-Fa-f]+/)) return "number";
      if (stream.match(/^[0-9]+(ms|m|s|[0-9])*\b/)) return "number";
      if (stream.match(/^[A-Za-z_][A-Za-z0-9_]*/)) {
        const word = stream.current().toLowerCase();
        if (word === kTextKeyword) {
          state.text = true;
          stream.eatSpace();  // the text starts after the blanks that follow the keyword
          return "keyword";
        }
        if (keywords.has(word)) return "keyword";
        if (keys.has(word)) return "typeName";
        return "variableName";
      }
      if (stream.match(/^[:=]/)) return "punctuation";
      stream.next();
      return null;
    },
    languageData: { commentTokens: { line: "#" } },
  });
}

const style = HighlightStyle.define([
  { tag: tags.keyword, color: "var(--hl-keyword)", fontWeight: "600" },
  { tag: tags.typeName, color: "var(--hl-key)" },
  { tag: tags.number, color: "var(--hl-number)" },
  { tag: tags.string, color: "var(--hl-string)" },
  { tag: tags.escape, color: "var(--hl-escape)", fontWeight: "600" },
  { tag: tags.comment, color: "var(--hl-comment)", fontStyle: "italic" },
  { tag: tags.definition(tags.variableName), color: "var(--hl-definition)", fontWeight: "600" },
  { tag: tags.punctuation, color: "var(--hl-punctuation)" },
]);

export const vorlanexHighlighting = syntaxHighlighting(style);
