#pragma once

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>
#include <QString>

#include <memory>

class EmfPaintEngine;

// A paint device that records QPainter calls as an Enhanced Metafile (MS-EMF).
// Logical units are device pixels (MM_TEXT); the header's frame gives the physical size from the dpi.
// One painting session per picture: begin() starts a new metafile, end() finishes it; data() returns
// the bytes of the last finished session (an empty, valid metafile before the first one).
//
// Monochrome patterns (QBitmap textures, Qt's dense patterns) are opaque in EMF: their 1-bits take the
// brush colour, their 0-bits QPainter::background()'s colour.
class EmfPaintDevice : public QPaintDevice
{
public:
    // How hatch and monochrome pattern fills are written.
    enum class PatternFills {
        // GDI brushes: EMR_CREATEBRUSHINDIRECT with an HS_* hatch, EMR_CREATEDIBPATTERNBRUSHPT with the bitmap.
        // What GDI-based readers (Word, Windows) expect; LibreOffice shows them as plain colour fills.
        Brushes,
        // The pattern drawn out inside the shape (hatch lines, or the tiled bitmap clipped to the shape),
        // which every reader shows as QPainter does, at the cost of more records.
        Drawn,
    };

    explicit EmfPaintDevice(const QSize &sizePixels, int dpi = 96);
    ~EmfPaintDevice() override;
    Q_DISABLE_COPY_MOVE(EmfPaintDevice)

    QSize size() const;
    int dpi() const;

    // Complete .emf bytes; valid after the QPainter has ended.
    QByteArray data() const;
    // Writes data() through FileWriter; on failure returns false and puts a message into *error.
    bool saveToFile(const QString &path, QString *error = nullptr) const;

    // Brushes by default.
    void setPatternFills(PatternFills fills);
    PatternFills patternFills() const;

    QPaintEngine *paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_size;
    int m_dpi;
    PatternFills m_patternFills = PatternFills::Brushes;
    std::unique_ptr<EmfPaintEngine> m_engine;
};
