// Lines, rectangles, polygons, Bezier curves, circles, arcs and warped blits of
// the raster library. Included from lice.h; every call takes picture
// coordinates (y down from the top row) and draws nothing for a null bitmap.
#pragma once

class LICE_IBitmap;
typedef unsigned int LICE_Pixel;

// Integer lines and rectangles (both end points included).
void LICE_Line(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, LICE_Pixel color, float alpha,
               int mode, bool aa);
bool LICE_ClipLine(int* x1, int* y1, int* x2, int* y2, int xlo, int ylo, int xhi, int yhi);
void LICE_DrawRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_Pixel color, float alpha,
                   int mode);
void LICE_BorderedRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_Pixel bgcolor,
                       LICE_Pixel fgcolor, float alpha, int mode);

// Float and dashed lines.
void LICE_FLine(LICE_IBitmap* dest, float x1, float y1, float x2, float y2, LICE_Pixel color,
                float alpha, int mode, bool aa);
bool LICE_ClipFLine(float* x1, float* y1, float* x2, float* y2, float xlo, float ylo, float xhi,
                    float yhi);
void LICE_DashedLine(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int pxon, int pxoff,
                     LICE_Pixel color, float alpha, int mode, bool aa);

// Trapezoids (stored rows), convex polygons and triangles (picture rows).
void LICE_FillTrapezoid(LICE_IBitmap* dest, int x1a, int x2a, int ya, int x1b, int x2b, int yb,
                        LICE_Pixel color, float alpha, int mode);
void LICE_FillConvexPolygon(LICE_IBitmap* dest, const int* x, const int* y, int npoints,
                            LICE_Pixel color, float alpha, int mode);
void LICE_FillTriangle(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                       LICE_Pixel color, float alpha, int mode);

// Bezier curves. The evaluation helpers are templates over the coordinate type.
template <class T> void LICE_Bezier(T x1, T x2, T x3, T y1, T y2, T y3, double t, T* x, T* y)
{
  const double it = 1.0 - t;
  const double a = it * it, b = 2.0 * it * t, c = t * t;
  *x = (T)(x1 * a + x2 * b + x3 * c);
  *y = (T)(y1 * a + y2 * b + y3 * c);
}

template <class T>
void LICE_CBezier_GetCoeffs(T x1, T x2, T x3, T x4, T y1, T y2, T y3, T y4, double* ax, double* bx,
                            double* cx, double* ay, double* by, double* cy)
{
  const double cxv = 3.0 * (T)(x2 - x1);
  const double bxv = 3.0 * (T)(x3 - x2) - cxv;
  const double cyv = 3.0 * (T)(y2 - y1);
  const double byv = 3.0 * (T)(y3 - y2) - cyv;
  *cx = cxv;
  *bx = bxv;
  *ax = (double)x4 - (double)x1 - cxv - bxv;
  *cy = cyv;
  *by = byv;
  *ay = (double)y4 - (double)y1 - cyv - byv;
}

float LICE_Bezier_GetY(float x1, float x2, float x3, float y1, float y2, float y3, float x,
                       double* t);
float LICE_CBezier_GetY(float x1, float x2, float x3, float x4, float y1, float y2, float y3,
                        float y4, float x, float* nextx, float* dydx, double* tlo, double* thi);

void LICE_DrawQBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl, float yctl,
                      float xend, float yend, LICE_Pixel color, float alpha, int mode, bool aa,
                      float tol);
void LICE_DrawCBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                      float xctl2, float yctl2, float xend, float yend, LICE_Pixel color,
                      float alpha, int mode, bool aa, float tol);
void LICE_FillCBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                      float xctl2, float yctl2, float xend, float yend, int yfill, LICE_Pixel color,
                      float alpha, int mode, float tol);
void LICE_FillCBezierX(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                       float xctl2, float yctl2, float xend, float yend, int xfill,
                       LICE_Pixel color, float alpha, int mode, float tol);

// Circles, arcs and rectangles with rounded corners. Angles in radians, 0 up,
// growing clockwise on screen.
void LICE_Circle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_Pixel color, float alpha,
                 int mode, bool aa);
void LICE_FillCircle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_Pixel color, float alpha,
                     int mode, bool aa);
void LICE_Arc(LICE_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle,
              LICE_Pixel color, float alpha, int mode, bool aa);
void LICE_RoundRect(LICE_IBitmap* dest, float x, float y, float w, float h, int cornerradius,
                    LICE_Pixel color, float alpha, int mode, bool aa);

// Blits through a per-pixel mapping of source coordinates.
void LICE_DeltaBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                    float srcx, float srcy, float srcw, float srch, double dsdx, double dtdx,
                    double dsdy, double dtdy, double dsdxdy, double dtdxdy, bool clipToSource,
                    float alpha, int mode);
void LICE_RotatedBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                      float srcx, float srcy, float srcw, float srch, float angle,
                      bool clipToSource, float alpha, int mode, float centreOffsetX,
                      float centreOffsetY);
void LICE_TransformBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw,
                        int dsth, float* points, int cols, int rows, float alpha, int mode);
void LICE_TransformBlit2(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw,
                         int dsth, double* points, int cols, int rows, float alpha, int mode);
