#pragma once
#include "browser/BrowserWindowBase.h"

// The browser window of the cascade and tile layouts: an ordinary framed child
// window; it never touches the tab strip.
class frmHTMLBrowser : public BrowserWindowBase
{
    Q_OBJECT
public:
    frmHTMLBrowser(AppContext &ctx, const UrlRecord &record);
    bool isTabWindow() const override { return false; }
    void Form_Activate() override;
    void Form_Resize() override;

protected:
    void Form_Unload() override;
    ErrorPolicy showFullScreenPolicy() const override;
};
