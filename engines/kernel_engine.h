// The kernels as an Engine: the exact kernels (kernel_<name>, measures.h) on the view's 8- or
// 16-bit pixels, on a GPU or on the CPU runtime. They add the terms in integers and divide as the
// CPU engine does, so both engines give the same bits.
#pragma once

#include "engine.h"

namespace bestfocus {

class KernelEngine : public Engine {
  public:
    // `threads`: the size of each kernel measure's host-reduction team.
    explicit KernelEngine(int threads) : threads_(threads) {}
    Measurement measure(const ImageView& image, const std::vector<int>& methods) const override;

  private:
    int threads_;
};

}  // namespace bestfocus
