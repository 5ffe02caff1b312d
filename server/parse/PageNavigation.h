#pragma once

#include "server/parse/CParseHtml.h"
#include "server/parse/PageControl.h"
#include "server/parse/PageLink.h"
#include "server/parse/ParsedPageInfo.h"

// The page-navigation bar of the older layouts (1 and 3), which differ only in its id.

// The page information from the bar and the title; false when the title is empty, or when a
// neighbour's link that the page numbers call for is missing.
bool ReadNavigationPageInfo(const CParseHtml& page, const QString& navigationId, QString* address,
                            ParsedPageInfo* info);
// Links after the current page, up to "下一页".
bool NavigationNextLinks(const CParseHtml& page, const QString& navigationId,
                         QList<PageLink>* links);
// Links before the current page, without "首页".
bool NavigationPrevLinks(const CParseHtml& page, const QString& navigationId,
                         QList<PageLink>* links);
// Types the page number into the page box and presses its button.
bool NavigationGotoPage(const CParseHtml& page, PageControl* livePage, int pageNo);

// A loaded page's own address replaces the request's when it is an http address (only pages of
// the navigating loader have one; it records where redirections led).
void TakeDocumentAddress(const CParseHtml& page, QString* address);
