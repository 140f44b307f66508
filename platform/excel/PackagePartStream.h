#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

struct zip;
struct zip_source;

namespace excel {

// A part of a package being written that is made piece by piece (a large worksheet) on a
// second thread while the zip library compresses the previous pieces. Whatever that thread
// throws (memory running out) ends the part with an error that failure() names; it never
// escapes the thread.
class PackagePartStream
{
public:
    // Appends the next piece to out; false once the part is complete.
    using Producer = std::function<bool(QByteArray &out)>;

    // make builds the producer (on the second thread, each time the part is read); what names
    // the part's content in messages ("the sheet \"Data\"").
    PackagePartStream(std::function<Producer()> make, QString what);
    ~PackagePartStream();
    PackagePartStream(const PackagePartStream &) = delete;
    PackagePartStream &operator=(const PackagePartStream &) = delete;

    // A zip source reading this part, for adding it to an archive (this object must outlive
    // the archive's use of it); null when the library refuses.
    zip_source *source(zip *archive);
    // Why making the part failed; "" when it did not.
    QString failure() const;

    // For tests: called on the second thread before each piece is made, with `what`; what it
    // throws fails the part as the thread's own failures do. Set it only while no save runs.
    inline static std::function<void(const QString &what)> pieceHook;

    struct State; // the thread and its queue, known to the source only

private:
    std::unique_ptr<State> m_state;
};

} // namespace excel
