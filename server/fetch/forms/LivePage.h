#pragma once

#include "server/parse/HtmlDocument.h"

#include <QByteArray>
#include <QString>

// A page loaded and alive in the navigating loader, where its scripts run. Form work reads the
// page from a snapshot document and acts on the live page through this handle.
//
// Every action addresses the first element that matches a CSS selector and returns false when
// none matches, the page is gone, or the page did not answer in time. Calls block until the
// page has carried the action out; they must not be made from the page's own (GUI) thread.
class LivePage {
public:
    virtual ~LivePage() = default;

    // Sets the value of an input or a text area, as typing would leave it.
    virtual bool SetValue(const QString& selector, const QString& value) = 0;
    // Ticks or unticks a check box.
    virtual bool SetChecked(const QString& selector, bool checked) = 0;
    // Clicks the element, with its default action (a submit button submits its form).
    virtual bool Click(const QString& selector) = 0;
    // Runs the element's click handlers without the default action of a click.
    virtual bool FireOnClick(const QString& selector) = 0;
    // The element's width and height in pixels as laid out.
    virtual bool ElementSize(const QString& selector, int* width, int* height) = 0;
    // Draws the element into a 32-bit bitmap of `width` x `height` pixels: rows top to bottom,
    // each pixel as blue, green, red, alpha bytes. A picture that has not loaded draws as zeros.
    virtual bool RenderElement(const QString& selector, int width, int height,
                               QByteArray* bits) = 0;
    // A fresh document of the page as it is now (scripts may have changed it since it loaded).
    virtual DocumentPtr Snapshot() = 0;
};

// The selector of the element with this id.
QString SelectorForId(const QString& id);
