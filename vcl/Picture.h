// TPicture: the holder of one graphic of any kind, as image controls publish it. Writing
// a graphic copies it; the picture owns its graphic. Main thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "classes/TObject.h"
#include "vcl/Graphic.h"

namespace vcl {

class TPicture : public classes::TPersistent {
public:
    CLASSES_OBJECT(TPicture)
    TPicture();
    ~TPicture() override;

    TGraphic* graphic() const { return m_graphic.get(); }
    // Copies `graphic` (nullptr empties the picture).
    void setGraphic(const TGraphic* graphic);
    using TPersistent::assign;
    void assign(const TPicture& other) { setGraphic(other.graphic()); }
    // Takes a picture or a graphic.
    void assign(const classes::TPersistent& source) override;
    // The picture as a bitmap: a graphic of another kind is replaced by an empty bitmap.
    TBitmap& bitmap();
    int width() const { return m_graphic ? m_graphic->width() : 0; }
    int height() const { return m_graphic ? m_graphic->height() : 0; }
    bool empty() const { return !m_graphic || m_graphic->empty(); }

    // The graphic kind follows the file extension; an unknown extension is the error
    // "Unknown picture file extension (.ext)". Native paths.
    void loadFromFile(const std::string& path);
    void saveToFile(const std::string& path) const;

    // The stream's picture blob: a length-prefixed class name, then that kind's data.
    // An unknown class name empties the picture without error.
    void readData(std::string_view blob);
    std::string writeData() const;

    // Fires after every change of the graphic, including animation frames and drawing on
    // a bitmap's canvas.
    std::function<void()> onChange;

private:
    void take(std::unique_ptr<TGraphic> graphic);
    void changed();

    std::unique_ptr<TGraphic> m_graphic;
};

// The graphic kind of a blob class name ("TJPEGImage"), or null for unknown names.
std::unique_ptr<TGraphic> createGraphic(std::string_view className);

}  // namespace vcl
