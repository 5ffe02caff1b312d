#pragma once

#include <QString>

class HtmlNode;

// The text a browser's `innerText` gives for a node, as closely as a tree without style sheets
// allows. The rule, kept here only:
// - the text of the descendants, in document order; comments give nothing;
// - `br` gives a line break;
// - block elements (div, p, table, tr, li, headings, pre, ...) begin and end on a line of their
//   own: the breaks around neighbouring blocks merge into one, and none is left at either end;
// - table cells of one row are separated by a tab;
// - outside `pre` (and textarea, listing, xmp, plaintext), each run of white space (space, tab,
//   line feed, carriage return, form feed) becomes one space, and spaces at the start and the
//   end of a line are dropped; inside, the text is kept as written;
// - `script`, `style`, `head`, `title`, `noscript` and `template` give nothing;
// - U+00A0 (&nbsp;) is not white space: it stays as it is;
// - a text node gives its own text under the same rules.
QString ComputeInnerText(const HtmlNode& node);
