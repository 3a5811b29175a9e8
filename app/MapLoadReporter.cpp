#include "MapLoadReporter.h"

#include "controls/MessageBox.h"
#include "logging/ConfiguratorLog.h"
#include "platform/TextConv.h"

void CMapLoadReporter::LogMapLoadError(const std::string& record)
{
    CORVEL_LOG(OL_ERROR, 1, L"Corvel_5Dlg", "CCorvel_5Dlg::LoadXML", L"%ls", platform::Utf8ToWide(record).c_str());
}

void CMapLoadReporter::ShowMapLoadError(const std::string& message)
{
    wnd::ShowMessageBox(QString::fromStdString(message), wnd::DefaultMessageBoxCaption(), wnd::MB_OK);
}
