// Compressed tars: 7-Zip sees a .tar.gz as one compressed file holding a .tar. When a gzip,
// bzip2, xz, zstd or compress stream holds a tar, the listing shows the tar's entries and the
// extraction writes the tar's files, streaming the decompressed tar from one 7-Zip into
// another (nothing is written to disk on the way).
#include "tool/Backends.h"
#include "tool/Children.h"
#include "tool/OutputRelay.h"
#include "tool/Serve.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace quendle::adapter {

namespace {

// The caller's arguments for a 7-Zip that reads the tar from standard input: the same command
// and switches, without the archive path.
std::vector<std::string> tarReaderArguments(const Request& request)
{
    const std::vector<std::string>& given = request.given;
    std::vector<std::string> arguments {request.sevenZip(), given[1], "-sccUTF-8", "-spd", "-si", "-ttar"};
    for (std::size_t i = 2; i < given.size(); ++i) {
        if (int(i) != request.call.archive)
            arguments.push_back(given[i]);
    }
    return arguments;
}

// The decompressing 7-Zip, and the first block of what it gives.
struct Decompression {
    pid_t producer = -1;
    int data = -1;
    std::string first;

    // Gives up on the stream: the decompressing 7-Zip is stopped and collected.
    void abandon()
    {
        signalChild(producer, SIGKILL);
        closeFd(data);
        waitChild(producer);
    }
};

// Starts decompressing the archive and reads the first block; nothing when 7-Zip cannot be
// started.
std::optional<Decompression> startDecompression(const Request& request)
{
    int data[2];
    if (!makePipe(data))
        return std::nullopt;
    Decompression stream;
    stream.producer = startChild(
        {request.sevenZip(), "x", "-so", "-spd", "-bso0", "-bsp0", "--", request.archive}, {-1, data[1], -1});
    close(data[1]);
    stream.data = data[0];
    if (stream.producer < 0) {
        closeFd(stream.data);
        return std::nullopt;
    }
    stream.first.resize(512);
    std::size_t have = 0;
    while (have < stream.first.size()) {
        const std::size_t size = readSome(stream.data, stream.first.data() + have, stream.first.size() - have);
        if (size == 0)
            break;
        have += size;
    }
    stream.first.resize(have);
    return stream;
}

} // namespace

std::optional<int> runCompressedTar(const Request& request, Compression compression)
{
    std::optional<Decompression> stream = startDecompression(request);
    if (!stream)
        return std::nullopt;
    if (stopSignal() != 0) {
        closeFd(stream->data);
        waitChild(stream->producer);
        exitLike(stopSignal());
    }
    if (!looksLikeTar(stream->first)) {
        stream->abandon();
        return std::nullopt;
    }

    const bool listing = request.call.isList();
    int in[2];
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (!makePipe(in) || (listing && (!makePipe(out) || !makePipe(err)))) {
        std::fprintf(stderr, "7z: cannot run 7-Zip: %s\n", std::strerror(errno));
        stream->abandon();
        return exited(kCannotRun);
    }
    const pid_t consumer = startChild(tarReaderArguments(request), {in[0], out[1], err[1]});
    const int startError = errno;
    close(in[0]);
    closeFd(out[1]);
    closeFd(err[1]);
    if (consumer < 0) {
        std::fprintf(stderr, "7z: cannot run %s: %s\n", request.sevenZip().c_str(), std::strerror(startError));
        close(in[1]);
        closeFd(out[0]);
        closeFd(err[0]);
        stream->abandon();
        return exited(kCannotRun);
    }
    // The reader may be slow to take the tar while its listing waits to be read: never block
    // on it.
    fcntl(in[1], F_SETFL, fcntl(in[1], F_GETFL) | O_NONBLOCK);

    Pump pump;
    pump.source = stream->data;
    pump.sink = in[1];
    pump.producer = stream->producer;
    pump.consumer = consumer;
    pump.pending = std::move(stream->first);

    std::optional<OutputRelay> relay;
    if (listing)
        relay.emplace(false, OutputRelay::Listing {request.shownArchive(), std::nullopt, request.codePage, !request.call.password});
    serve(&pump, out[0], err[0], relay ? &*relay : nullptr);
    const int consumerStatus = waitChild(consumer);
    const int producerStatus = waitChild(stream->producer);
    if (relay)
        relay->finish();
    if (stopSignal() != 0 || !succeeded(consumerStatus))
        return consumerStatus;
    if (!succeeded(producerStatus)) {
        std::fprintf(stderr, "7z: the %s stream of %s is damaged\n", nameOf(compression), request.archive.c_str());
        return exited(kFatalError);
    }
    return exited(0);
}

} // namespace quendle::adapter
