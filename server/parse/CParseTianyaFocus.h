#pragma once

#include "server/parse/CParseHtml.h"

#include "store/Catalogue.h"

// The forum's recommendations page: the links of a fixed set of blocks, each under its
// category label, in the order of the block table.
class CParseTianyaFocus : public CParseHtml {
public:
    using CParseHtml::CParseHtml;

    // Empties and fills `items`; links to addresses outside the forum's threads are logged and
    // dropped, and a thread linked twice is listed once with the link texts joined by "--".
    // Always true.
    virtual bool Parse(QList<FocusItem>* items);
};
