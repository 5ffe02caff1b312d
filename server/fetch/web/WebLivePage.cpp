#include "server/fetch/web/WebLivePage.h"

#include "server/parse/PageDocumentBuilder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

namespace {

// A text as a script literal; JSON string syntax is valid script.
QString ScriptLiteral(const QString& text) {
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

} // namespace

WebLivePage::WebLivePage(std::shared_ptr<WebPageHostLink> link, int callTimeoutMs)
    : link_(std::move(link)), callTimeoutMs_(callTimeoutMs) {}

bool WebLivePage::RunOnElement(const QString& selector, const QString& body, QVariant* result) {
    const QString script =
        QStringLiteral(
            "(function(){var el;try{el=document.querySelector(%1);}catch(e){return null;}"
            "if(!el)return null;%2})()")
            .arg(ScriptLiteral(selector), body);
    QVariant value;
    if (!WebPageHost::RunScript(link_, script, callTimeoutMs_, &value))
        return false;
    if (!value.isValid() || value.isNull())
        return false;
    *result = value;
    return true;
}

bool WebLivePage::SetValue(const QString& selector, const QString& value) {
    QVariant result;
    // The events let the page's own scripts see the new value as if it had been typed.
    return RunOnElement(
        selector,
        QStringLiteral("if(!('value' in el))return null;el.value=%1;"
                       "el.dispatchEvent(new Event('input',{bubbles:true}));"
                       "el.dispatchEvent(new Event('change',{bubbles:true}));return true;")
            .arg(ScriptLiteral(value)),
        &result);
}

bool WebLivePage::SetChecked(const QString& selector, bool checked) {
    QVariant result;
    return RunOnElement(
        selector,
        QStringLiteral("if(!('checked' in el))return null;el.checked=%1;"
                       "el.dispatchEvent(new Event('change',{bubbles:true}));return true;")
            .arg(checked ? QStringLiteral("true") : QStringLiteral("false")),
        &result);
}

bool WebLivePage::Click(const QString& selector) {
    QVariant result;
    // Deferred so that a click that navigates does not cut off the script's answer.
    return RunOnElement(
        selector, QStringLiteral("setTimeout(function(){el.click();},0);return true;"), &result);
}

bool WebLivePage::FireOnClick(const QString& selector) {
    QVariant result;
    // A plain Event (not a MouseEvent) runs the click handlers but not a click's default action.
    return RunOnElement(selector,
                        QStringLiteral("setTimeout(function(){el.dispatchEvent(new Event('click',"
                                       "{bubbles:true,cancelable:true}));},0);return true;"),
                        &result);
}

bool WebLivePage::ElementSize(const QString& selector, int* width, int* height) {
    QVariant result;
    if (!RunOnElement(
            selector,
            QStringLiteral(
                "var r=el.getBoundingClientRect();"
                "var w=Math.round(r.width)||el.width||el.naturalWidth||0;"
                "var h=Math.round(r.height)||el.height||el.naturalHeight||0;return [w,h];"),
            &result))
        return false;
    const QVariantList size = result.toList();
    if (size.size() != 2)
        return false;
    *width = size[0].toInt();
    *height = size[1].toInt();
    return true;
}

bool WebLivePage::RenderElement(const QString& selector, int width, int height, QByteArray* bits) {
    if (width <= 0 || height <= 0)
        return false;
    QVariant result;
    // Drawn through a canvas; a picture that has not finished loading leaves it blank (zeros).
    const QString body =
        QStringLiteral(
            "var W=%1,H=%2;var c=document.createElement('canvas');c.width=W;c.height=H;"
            "var g=c.getContext('2d');"
            "var drawable=el instanceof HTMLImageElement||el instanceof HTMLCanvasElement;"
            "if(!drawable)return null;"
            "if(!(el instanceof HTMLImageElement)||(el.complete&&el.naturalWidth>0))"
            "{try{g.drawImage(el,0,0,W,H);}catch(e){}}"
            "var d;try{d=g.getImageData(0,0,W,H).data;}catch(e){return null;}"
            "var s='';for(var i=0;i<d.length;i+=8192)"
            "s+=String.fromCharCode.apply(null,d.subarray(i,i+8192));return btoa(s);")
            .arg(width)
            .arg(height);
    if (!RunOnElement(selector, body, &result))
        return false;
    QByteArray rgba = QByteArray::fromBase64(result.toString().toLatin1());
    if (rgba.size() != qsizetype(width) * height * 4)
        return false;
    // Canvas pixels are red, green, blue, alpha; the bitmap wants blue, green, red, alpha.
    for (qsizetype i = 0; i + 3 < rgba.size(); i += 4)
        std::swap(rgba[i], rgba[i + 2]);
    *bits = rgba;
    return true;
}

DocumentPtr WebLivePage::Snapshot() {
    QString html;
    QString url;
    if (!WebPageHost::SerialisePage(link_, callTimeoutMs_, &html, &url) || html.isEmpty())
        return nullptr;
    return ParseSnapshotDocument(html, url);
}
