#pragma once
#include "browser/BrowserWindowBase.h"

// The browser window of the tabbed layout: frameless, filling the frame, one shown at
// a time; it keeps the tab strip and the current window in step with itself.
class frmHTMLBrowserTab : public BrowserWindowBase
{
    Q_OBJECT
public:
    frmHTMLBrowserTab(AppContext &ctx, const UrlRecord &record);
    bool isTabWindow() const override { return true; }
    void Form_Activate() override;
    void Form_Resize() override;

protected:
    void Form_Unload() override;
    ErrorPolicy showFullScreenPolicy() const override;
};
