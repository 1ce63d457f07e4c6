// Processor time of the SWF engine playing a movie whose stream sound is a
// minute of MP3 at 44.1 kHz (loading it, running its frames and mixing its
// sound for an output at 44.1 and at 48 kHz) against libavcodec decoding
// the same MP3 frames alone, measured in the same run.

#include "bench_support.h"
#include "soundwriter.h"
#include "swfwriter.h"

#include "swf/movieplayer.h"

#include <QCoreApplication>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 60;
constexpr double kFps = 24;
constexpr int kRounds = 5;

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

template<typename Work>
double cpuOf(Work &&work)
{
    const double start = cpuSeconds();
    work();
    return (cpuSeconds() - start) * 1000;
}

QByteArray streamMovie(const std::vector<QByteArray> &packets)
{
    swftest::Movie movie(8, 320, 240, kFps);
    swftest::addMp3Stream(movie, packets, kRate, kFps);
    return movie.fws();
}

qint64 decodeAlone(const std::vector<QByteArray> &packets)
{
    const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_MP3);
    AVCodecContext *context = avcodec_alloc_context3(codec);
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    qint64 decoded = 0;
    if (avcodec_open2(context, codec, nullptr) == 0) {
        for (const QByteArray &p : packets) {
            packet->data = reinterpret_cast<uint8_t *>(const_cast<char *>(p.constData()));
            packet->size = int(p.size());
            if (avcodec_send_packet(context, packet) < 0)
                continue;
            while (avcodec_receive_frame(context, frame) == 0)
                decoded += frame->nb_samples;
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return decoded;
}

// Loads the movie and plays it through, each tick's sound pulled as an
// output at `outputRate` would; the sample frames mixed.
qint64 playMovie(const QByteArray &swf, int outputRate)
{
    sky::swf::MoviePlayer player;
    player.setSoundRate(outputRate);
    if (!player.loadData(swf))
        return 0;
    std::vector<float> buffer;
    qint64 pulled = 0;
    for (int tick = 1; tick <= player.totalFrames(); ++tick) {
        const qint64 due = qint64(std::ceil(tick * outputRate / kFps));
        buffer.assign(size_t(due - pulled) * 2, 0.0f);
        player.mixSound(buffer.data(), due - pulled);
        pulled = due;
        player.tick();
    }
    return pulled;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const auto packets = swftest::ffmpegPackets(swftest::chordMusic(kRate, kSeconds), kRate, QStringLiteral("libmp3lame"));
    if (!packets || packets->empty()) {
        std::fprintf(stderr, "ffmpeg with libmp3lame is needed to make the MP3\n");
        return 1;
    }
    const QByteArray swf = streamMovie(*packets);
    for (const int outputRate : {44100, 48000}) {
        std::vector<double> baseline, measured;
        qint64 decoded = 0, mixed = 0;
        for (int round = 0; round < kRounds; ++round) {
            baseline.push_back(cpuOf([&] { decoded = decodeAlone(*packets); }));
            measured.push_back(cpuOf([&] { mixed = playMovie(swf, outputRate); }));
        }
        const double ratio = bench::medianOfRatios(measured, baseline);
        std::printf("%d Hz out: decoding %lld samples %.1f ms, playing the movie (%lld samples mixed) %.1f ms, "
                    "ratio %.2f\n",
                    outputRate, decoded, bench::median(baseline), mixed, bench::median(measured), ratio);
        bench::tableRow(QStringLiteral("SWF: a minute of 44.1 kHz MP3 stream played, %1 kHz out")
                            .arg(outputRate / 1000.0),
                        QStringLiteral("libavcodec decoding the MP3 alone"), bench::median(measured),
                        bench::median(baseline), "ms CPU", ratio);
    }
    return 0;
}
