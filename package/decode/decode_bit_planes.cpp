// The bit-plane join (method 0) as a stage of its own: n input bytes hold eight planes of
// n bits, back to back; plane k carries bit 7 - k of every output byte.
#include "package/decode/codec_output.h"
#include "package/decode/compress.h"
#include "package/decode/plane_join.h"
#include "package/decode/stage_input.h"

int SCompress::DecodeBitPlanes(const StageInput& input, CodecOutput* output,
                               CodecBuffer readBuffer) {
    PlaneJoin join;
    return join.Open(input, readBuffer) && output->Take(&join, input.length) && output->Finish();
}
