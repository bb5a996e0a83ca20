// Rich text (RTF) into a Qt text document: groups, the font and colour tables, character
// and paragraph formatting, code-page bytes by the font's character set, Unicode escapes,
// and HYPERLINK fields as anchors. Pictures, objects and other destinations are skipped.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class QTextDocument;

namespace components::qt {

// True when `text` starts with the rich-text header; anything else is plain text.
bool isRichText(std::string_view text);

// Replaces the document's content. Returns false (the document then holds whatever was read
// so far) when `rtf` is not rich text or its groups do not balance.
bool readRtf(std::string_view rtf, QTextDocument& document);

// The text of a rich text as the document reads it (UTF-8, paragraphs ending in "\n"), or
// nothing when it cannot be read.
std::optional<std::string> rtfPlainText(std::string_view rtf);

// The rich text as HTML for a text browser (the about box's credits), or nothing when it
// cannot be read.
std::optional<std::string> rtfToHtml(std::string_view rtf);

// Turns web, file-transfer and mail addresses in the text into links, leaving existing ones.
void markAddresses(QTextDocument& document);

}  // namespace components::qt
