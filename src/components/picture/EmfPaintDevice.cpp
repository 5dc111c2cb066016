#include "picture/EmfPaintDevice.h"

#include "picture/EmfPaintEngine.h"

#include "files/FileWriter.h"

EmfPaintDevice::EmfPaintDevice(const QSize &sizePixels, int dpi)
    : m_size(sizePixels.expandedTo(QSize(1, 1)))
    , m_dpi(dpi > 0 ? dpi : 96)
    , m_engine(std::make_unique<EmfPaintEngine>(m_size, m_dpi))
{
}

EmfPaintDevice::~EmfPaintDevice() = default;

QSize EmfPaintDevice::size() const
{
    return m_size;
}

int EmfPaintDevice::dpi() const
{
    return m_dpi;
}

QByteArray EmfPaintDevice::data() const
{
    return m_engine->data();
}

bool EmfPaintDevice::saveToFile(const QString &path, QString *error) const
{
    return FileWriter::writeWhole(path, data(), error);
}

void EmfPaintDevice::setPatternFills(PatternFills fills)
{
    m_patternFills = fills;
    m_engine->setPatternFills(fills);
}

EmfPaintDevice::PatternFills EmfPaintDevice::patternFills() const
{
    return m_patternFills;
}

QPaintEngine *EmfPaintDevice::paintEngine() const
{
    return m_engine.get();
}

int EmfPaintDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return m_size.width();
    case PdmHeight:
        return m_size.height();
    case PdmWidthMM:
        return qRound(m_size.width() * 25.4 / m_dpi);
    case PdmHeightMM:
        return qRound(m_size.height() * 25.4 / m_dpi);
    case PdmNumColors:
        return 0x7FFFFFFF;
    case PdmDepth:
        return 24;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return m_dpi;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    default:
        return 0;
    }
}
