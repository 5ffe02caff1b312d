#pragma once

#include "server/fetch/WebpageInfo.h"

// Fills the reply box of the live page with the request's reply text and fires the submit
// button's onclick; the page posts the reply with its own script. False when either element
// is missing or the live page refused.
bool PostReply(const WebpageInfo& request, const DocumentPtr& document);
