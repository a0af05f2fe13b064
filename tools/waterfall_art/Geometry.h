// The layout of the landscape on the 800 x 600 reference screen: ridge lines, the gorge's top
// edge, the waterfall's edges and the pool's shores. Every drawing unit places things by these.
#pragma once

namespace art::geo {

inline constexpr float kHorizon = 236;  // eye level: vanishing line of the water plane
inline constexpr float kLipY = 286;     // the edge the water falls over
inline constexpr float kLipLeft = 347, kLipRight = 445;
inline constexpr float kVanishX = 398;  // where the gorge's lines meet

float FarRidge(float x);   // top of the distant mountains
float HillRidge(float x);  // top of the forested hills behind the falls
float WallTop(float x);    // top edge of the gorge walls and the lip between them
float FallLeft(float y);   // edges of the falling water
float FallRight(float y);
float Shore(float x);      // far waterline of the pool
float BankLeft(float y);   // waterline of the left and right banks
float BankRight(float y);
float RiverHalfWidth(float y);  // the stream on the plateau that feeds the falls
float RiverCentre(float y);

// Coverage (0..1) of the pool and river surface below the falls.
float PoolCoverage(float x, float y);
// Coverage of the stream above the lip.
float StreamCoverage(float x, float y);
// Coverage of the falling water.
float FallCoverage(float x, float y);

// Depth of the water plane at screen row y, and the lateral world position of column x there.
float Depth(float y);
float Lateral(float x, float y);

}  // namespace art::geo
