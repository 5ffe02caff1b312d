#pragma once

struct WebpageInfo;

// The reader's CDTUserSet: the chosen page through the navigating loader (type 6).
void FetchChosenPage(int focusPageNo, int wantedPage, int wantedAgain);
// CDTReadNeedNext (type 8) and CDTReadNeedLast (type 7): pages around the reader's screen.
void FetchNeededPages(int type, int focusPageNo, int firstPage, int lastPage);
// CDTReadWebpage: every picture of the thread still to be fetched.
void FetchThreadPictures(int focusPageNo);
// CDTReadPageNoRang: the pictures of the pages on screen move to the front.
void PrioritisePictures(int focusPageNo, int firstPage, int lastPage);

// The document handler of navigation requests (chosen page, login, reply).
void BrowserPageDone(WebpageInfo& request, bool& busy, bool timedOut);
