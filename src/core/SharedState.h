#pragma once
#include "core/RuntimeError.h"
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// Booleans are 16-bit integers holding -1 (true) or 0 (false), in memory and on disk.
constexpr int16_t VTrue = -1;
constexpr int16_t VFalse = 0;

// A per-slot table indexed by slot number 1..8. Absent until the main window creates
// it; indexing an absent table or a slot outside 1..8 is error 9.
template <typename T>
class SlotTable
{
public:
    void create() { m_items.emplace(); m_items->fill(T{}); }
    bool exists() const { return m_items.has_value(); }
    T &operator()(int slot)
    {
        if (!m_items || slot < 1 || slot > 8)
            throw RuntimeError::subscript();
        return (*m_items)[size_t(slot - 1)];
    }
    const T &operator()(int slot) const { return const_cast<SlotTable *>(this)->operator()(slot); }

private:
    std::optional<std::array<T, 8>> m_items;
};

// One slot of the Top 8 while the program runs.
struct SlotEntry
{
    int16_t closed = 0; // SlotClosed: -1 while the slot has no window (listed on the URL menu, or empty)
    QString url;        // SlotURLs: the address its window was opened on
    QString caption;    // SlotCaptions: its alias, or the address when there is none
};

// The program-wide variables through which the windows talk to each other.
struct SharedState
{
    // Settings, stored in the settings file.
    int16_t RefreshOnActive = 0;
    int16_t RefreshEvery = 0;
    int16_t RefreshMinutes = 0;
    int16_t TileLayout = 0;
    int16_t CascadeLayout = 0;
    int16_t TabbedLayout = 0;

    // Window and run state.
    int16_t TabbedActive = 0;
    int16_t InTray = 0;
    int16_t ToolbarOn = 0;
    QString CurrentURL;
    QString CurrentCaption;
    int16_t CurrentSlot = 0;
    int16_t TabTextLength = 0;
    QString DataFilePath;
    int16_t FirstRun = 0;
    // The last write of the settings file failed: the settings in force live only in
    // this session, and the file on disk is out of date.
    bool SettingsUnsaved = false;

    // The Top 8 as the running program knows them, one entry per slot 1..8.
    SlotTable<SlotEntry> Slots;

    // Where the Favorites window stands, in twips.
    float FavoritesLeft = 0;
    float FavoritesTop = 0;
    float FavoritesHeight = 0;

    // Used wherever the settings file cannot be read; the order is the documented one.
    void applySettingsDefaults()
    {
        TabbedActive = 0;
        RefreshOnActive = 0;
        RefreshEvery = 0;
        RefreshMinutes = 1;
        CascadeLayout = 0;
        TileLayout = -1;
        TabbedLayout = 0;
    }
};

// How many characters a tab shows, from the screen size in pixels.
int16_t tabTextLengthFor(int widthPixels, int heightPixels);

// The tab label of a slot: the first n characters of an alias, else the last n of the URL.
QString tabLabel(const QString &url, const QString &alias, int n);
