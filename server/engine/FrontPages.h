#pragma once

#include "common/Records.h"

#include <QString>

#include <vector>

struct WebpageInfo;

// The forum's recommendations page: parsed, stored in the catalogue, announced.
void FrontPageDone(WebpageInfo& request, bool& busy, bool timedOut);
// The discount page: its table read into recommendations and sent to the reader.
void DiscountPageDone(WebpageInfo& request, bool& busy, bool timedOut);

// The discount rows of a document (at most 50), as the reader receives them.
std::vector<HotRecommendItem> ReadDiscountRows(const WebpageInfo& request);
// Puts double quotes around unquoted class attribute values of an HTML fragment.
QString QuoteClassAttributes(const QString& html);
// Sends a list in CDTHotRecommend records of at most 25 entries.
void SendHotRecommend(const std::vector<HotRecommendItem>& items);

QString FrontPageAddress();
QString DiscountPageAddress();

inline constexpr int kMaxDiscountRows = 50;
