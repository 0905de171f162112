// CommonDialogObject: the platform's open, save, colour, font, page set-up, print, folder and computer
// dialogs for a caller that holds only a window handle. File-dialog settings stay with the object between
// calls; placement, shift and owner window are shared by every object of the thread.
#pragma once

#include <cstdint>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ComObject.h"
#include "component/EventSource.h"

namespace velmora {

class CommonDialogObject : public Dispatchable<CommonDialogObject> {
  public:
    static const ClassInfo& describe();

    EventSource* events() noexcept override { return &m_events; }

    std::u16string DefaultExtension() const { return m_defaultExtension; }
    void setDefaultExtension(const std::u16string& value) { m_defaultExtension = value; }
    std::u16string DialogTitle() const { return m_dialogTitle; }
    void setDialogTitle(const std::u16string& value) { m_dialogTitle = value; }
    std::u16string InitDirectory() const { return m_initDirectory; }
    void setInitDirectory(const std::u16string& value) { m_initDirectory = value; }
    std::u16string Filter() const { return m_filter; }
    void setFilter(const std::u16string& value) { m_filter = value; }
    std::u16string FileName() const { return m_fileName; }
    void setFileName(const std::u16string& value) { m_fileName = value; }
    std::u16string FileTitle() const { return m_fileTitle; }
    void setFileTitle(const std::u16string& value) { m_fileTitle = value; }
    std::int32_t FilterIndex() const { return m_filterIndex; }
    void setFilterIndex(std::int32_t value) { m_filterIndex = value; }
    std::int32_t hInstance() const { return m_hInstance; }
    void sethInstance(std::int32_t value) { m_hInstance = value; }

    // Shared by the thread's objects.
    std::int32_t Position() const;
    void setPosition(std::int32_t value);
    std::int32_t MoveShiftValue() const;
    void setMoveShiftValue(std::int32_t value);
    std::int32_t hwnd() const;

    std::u16string AddFilterItem(const std::u16string& strDescription, const Variant& varItem);
    // 1 when a file was chosen, else 0 (properties cleared; ShowSave raises Cancelled).
    std::int32_t ShowOpen(std::int32_t lnghwnd, const std::u16string& strDialogTitle,
                          const std::u16string& strFileName, const std::u16string& strFilter,
                          std::int32_t lngFilterIndex, const std::u16string& strDefaultExt, Variant& Flags);
    std::int32_t ShowSave(std::int32_t lnghwnd, const std::u16string& strDialogTitle,
                          const std::u16string& strFileName, const std::u16string& strFilter,
                          std::int32_t lngFilterIndex, const std::u16string& strDefaultExt, Variant& Flags);
    // The chosen colour or -1. CustomColors: up to 16 entries are lent to the dialog and written back.
    std::int32_t ShowColor(std::int32_t lnghwnd, std::int32_t InitColor, Variant& CustomColors,
                           std::int16_t ShowMode);
    bool ShowFont(std::int32_t lnghwnd, std::int32_t lnghdc, Variant& aFont, std::int32_t& aFontColor,
                  const Variant& Flags);
    // 0 when confirmed, -1 when cancelled.
    std::int32_t ShowPageSetup(std::int32_t lnghwnd, const Variant& Flags);
    void ShowPrinter(std::int32_t lnghwnd, const Variant& Flags);
    std::u16string ShowFolder(std::int32_t lnghwnd, const std::u16string& strDialogTitle,
                              const std::u16string& InitialDir, Variant& Flags);
    std::u16string ShowNetwork(std::int32_t lnghwnd, const std::u16string& strDialogTitle,
                               const std::u16string& InitialDir, Variant& Flags);

  private:
    std::int32_t showFile(bool save, std::int32_t lnghwnd, const std::u16string& strDialogTitle,
                          const std::u16string& strFileName, const std::u16string& strFilter,
                          std::int32_t lngFilterIndex, const std::u16string& strDefaultExt, Variant& Flags);
    std::u16string browse(bool network, std::int32_t lnghwnd, const std::u16string& strDialogTitle,
                          const std::u16string& InitialDir, Variant& Flags);

    std::u16string m_defaultExtension;
    std::u16string m_dialogTitle;
    std::u16string m_initDirectory;
    std::u16string m_filter;
    std::u16string m_fileName;
    std::u16string m_fileTitle;
    std::int32_t m_filterIndex = 0;
    std::int32_t m_hInstance = 0;
    EventSource m_events{*this};
};

}  // namespace velmora
