/* Writes the JPEG seeds of corpus/: 8x8 colour baseline, 8x8 grey, 16x8
 * colour progressive, 8x8 CMYK with the Adobe marker.
 *   cc make_jpegs.c -ljpeg -o /tmp/make_jpegs && /tmp/make_jpegs corpus */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <jpeglib.h>

static void write_jpeg(const char *dir, const char *name, int w, int h, int comps, J_COLOR_SPACE space,
                       int progressive)
{
    char path[512];
    snprintf(path, sizeof path, "%s/%s", dir, name);
    FILE *f = fopen(path, "wb");
    if (!f) { perror(path); exit(1); }
    struct jpeg_compress_struct c;
    struct jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = (JDIMENSION)w;
    c.image_height = (JDIMENSION)h;
    c.input_components = comps;
    c.in_color_space = space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 50, TRUE);
    if (progressive)
        jpeg_simple_progression(&c);
    if (space == JCS_CMYK)
        c.write_Adobe_marker = TRUE;
    jpeg_start_compress(&c, TRUE);
    unsigned char row[64];
    while (c.next_scanline < c.image_height) {
        for (int i = 0; i < w * comps; ++i)
            row[i] = (unsigned char)((i * 37 + (int)c.next_scanline * 53) & 0xff);
        JSAMPROW r = row;
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    fclose(f);
}

int main(int argc, char **argv)
{
    const char *dir = argc > 1 ? argv[1] : ".";
    write_jpeg(dir, "rgb8x8.jpg", 8, 8, 3, JCS_RGB, 0);
    write_jpeg(dir, "grey8x8.jpg", 8, 8, 1, JCS_GRAYSCALE, 0);
    write_jpeg(dir, "progressive16x8.jpg", 16, 8, 3, JCS_RGB, 1);
    write_jpeg(dir, "cmyk8x8.jpg", 8, 8, 4, JCS_CMYK, 0);
    return 0;
}
