#pragma once

#include "tools/demo-forum/DemoRandom.h"

#include <QString>
#include <QStringList>

// Chinese names, titles and post texts. Every character is in GBK, so the same text can
// be served in either encoding. Names carry no spaces or digits because post headers end
// a name at the first space and read the time from the first "2" after it.
QString DemoAuthorName(DemoRandom& random);
QString DemoTitle(DemoRandom& random);
QString DemoSentence(DemoRandom& random);
// One to four lines of one to three sentences; no line has leading, trailing or doubled
// blanks, so what a browser shows of it is the text itself.
QStringList DemoPostLines(DemoRandom& random);
