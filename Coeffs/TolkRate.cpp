#include "TolkRate.h"

template <>
TolkRateT<double>::TolkRateT(double S) : mRate(S)
{
  const double S2 = S * S;
  const double S3 = S2 * S;
  for (int j = 0; j < 4; ++j) {
    mNumK[j] = (kTolkNum[0][j][0] * S2 - kTolkNum[0][j][1] * S2) + (kTolkNum[1][j][0] * S3 - kTolkNum[1][j][1] * S3);
    mDenK[j] = kTolkDen[0][j] + kTolkDen[1][j] * S;
    mDenS2[j] = kTolkDen[4][j] * S2;
    mDenS3[j] = kTolkDen[7][j] * S3;
  }
  for (int j = 0; j < 2; ++j) {
    for (int k = 0; k < 2; ++k) {
      mNumA[j][k] = kTolkNum[2][j][k] * S3;
      mNumA2[j][k] = kTolkNum[3][j][k] * S3;
    }
  }
  const double den[8] = {kTolkDen[2][0] * S,  kTolkDen[3][0] * S,  kTolkDen[5][0] * S2, kTolkDen[6][0] * S2,
                         kTolkDen[8][0] * S3, kTolkDen[8][1] * S3, kTolkDen[9][0] * S3, kTolkDen[9][1] * S3};
  for (int k = 0; k < 8; ++k) mDen[k] = den[k];
}
