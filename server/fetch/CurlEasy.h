#pragma once

#include <curl/curl.h>

// Owns one libcurl easy handle and the header list sent with it; both are released together.
class CurlEasy {
public:
    CurlEasy() : handle_(curl_easy_init()) {}
    ~CurlEasy() {
        if (handle_)
            curl_easy_cleanup(handle_);
        if (headers_)
            curl_slist_free_all(headers_);
    }
    CurlEasy(const CurlEasy&) = delete;
    CurlEasy& operator=(const CurlEasy&) = delete;

    CURL* Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    // Appends one header line; false when libcurl runs out of memory.
    bool AddHeader(const char* line) {
        curl_slist* grown = curl_slist_append(headers_, line);
        if (!grown)
            return false;
        headers_ = grown;
        return true;
    }
    curl_slist* Headers() const { return headers_; }

private:
    CURL* handle_ = nullptr;
    curl_slist* headers_ = nullptr;
};
