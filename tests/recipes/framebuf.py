# SPDX-License-Identifier: MIT
# A stand-in for MicroPython's framebuf module, for the README's recipe:
# where each of its mono formats keeps pixel (x, y), as MicroPython
# documents and implements them. Horizontal formats pad every row to a
# whole byte; MONO_VLSB keeps pages of 8 rows, a byte a column.
MONO_VLSB = 0
MONO_HLSB = 3
MONO_HMSB = 4


class FrameBuffer:
    def __init__(self, buffer, width, height, format):
        self.buffer, self.width, self.height, self.format = buffer, width, height, format
        self.stride = width if format == MONO_VLSB else (width + 7) & ~7
        need = (height + 7) // 8 * width if format == MONO_VLSB else self.stride * height // 8
        if len(buffer) < need:
            raise ValueError("buffer too small")

    def place(self, x, y):
        if self.format == MONO_VLSB:
            return (y >> 3) * self.stride + x, y & 7
        bit = x & 7 if self.format == MONO_HMSB else 7 - (x & 7)
        return (x + y * self.stride) >> 3, bit

    def pixel(self, x, y, c=None):
        if not (0 <= x < self.width and 0 <= y < self.height):
            return None if c is None else 0
        index, bit = self.place(x, y)
        if c is None:
            return self.buffer[index] >> bit & 1
        self.buffer[index] = self.buffer[index] & ~(1 << bit) | (c & 1) << bit

    def blit(self, fb, x, y):
        for j in range(fb.height):
            for i in range(fb.width):
                self.pixel(x + i, y + j, fb.pixel(i, j))
