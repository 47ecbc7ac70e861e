// Defaults of the run parameters that the computing subsystems read, as they
// stand before any data set is read.
#include <gtest/gtest.h>

#include "run/globals.h"

namespace {

struct Default {
    const char* name;
    double actual;
    double expected;
};

#define RIVAX_DEFAULT(name, value) Default{#name, static_cast<double>(name), static_cast<double>(value)}

TEST(RunParameterDefaults, ScalarsOfTheFKAndWDataSets) {
    ResetGlobals();
    const Default table[] = {
        RIVAX_DEFAULT(IsolatedCellDamping, 0),
        RIVAX_DEFAULT(SurfaceInterval, 10),
        RIVAX_DEFAULT(FluxInterpolationOption, 0),
        RIVAX_DEFAULT(PressureGradientOption, 0),
        RIVAX_DEFAULT(VegetationOption, 0),
        RIVAX_DEFAULT(F121Flag, 0),
        RIVAX_DEFAULT(F126Flag, 0),
        RIVAX_DEFAULT(SurfaceSlopeGravityFlag, 0),
        RIVAX_DEFAULT(BoundarySlopeLimit, 0),
        RIVAX_DEFAULT(SplitFaceFlag, 0),
        RIVAX_DEFAULT(MinK, 1e-20),
        RIVAX_DEFAULT(MinUplus, 1.0),
        RIVAX_DEFAULT(MinUplusWall, 1.0),
        RIVAX_DEFAULT(TimeAveragingOption, 0),
        RIVAX_DEFAULT(F144Option, 0),
        RIVAX_DEFAULT(F144Value, 0),
        RIVAX_DEFAULT(VerticalEddyViscFactor, 1.0),
        RIVAX_DEFAULT(HorizontalEddyViscFactor, 1.0),
        RIVAX_DEFAULT(F150Int2, 0),
        RIVAX_DEFAULT(NoGridLevels, 0),
        RIVAX_DEFAULT(CellResidualFlag, 1),
        RIVAX_DEFAULT(PauseFlag, 0),
        RIVAX_DEFAULT(SimpleVariant, 0),
        RIVAX_DEFAULT(SolverVariant, 0),
        RIVAX_DEFAULT(MultigridChoice, 0),
        RIVAX_DEFAULT(FastSolverFlag, 0),
        RIVAX_DEFAULT(SchemeVariant, 0),
        RIVAX_DEFAULT(CyclicInterval, 0),
        RIVAX_DEFAULT(ExtraDiffusionOption, 0),
        RIVAX_DEFAULT(ExtraDiffusionFactor, 0),
        RIVAX_DEFAULT(F180Option, 0),
        RIVAX_DEFAULT(HydrostaticPressureFlag, 0),
        RIVAX_DEFAULT(DebugStopOption, 0),
        RIVAX_DEFAULT(F184Option, 0),
        RIVAX_DEFAULT(WallEpsilonDistanceFlag, 0),
        RIVAX_DEFAULT(WallEpsilonDistanceFactor, 0.43),
        RIVAX_DEFAULT(LineSolverFlag, 0),
        RIVAX_DEFAULT(InitialTurbulenceOption, 0),
        RIVAX_DEFAULT(InitialK, 0.0001),
        RIVAX_DEFAULT(InitialEpsilon, 0.0001),
        RIVAX_DEFAULT(F200Value4, 0.001),
        RIVAX_DEFAULT(F200Value5, 0.001),
        RIVAX_DEFAULT(InflowProfileOption, 0),
        RIVAX_DEFAULT(InflowRoughness, 0),
        RIVAX_DEFAULT(VerticalVelocityLimit, 0),
        RIVAX_DEFAULT(NoThreads, 0),
        RIVAX_DEFAULT(TimeOrder, 0),
        RIVAX_DEFAULT(BugtrapIter, -10),
        RIVAX_DEFAULT(BugtrapCell, 0),
        RIVAX_DEFAULT(FlushLimit, 0),
        RIVAX_DEFAULT(UnsteadyConvergenceFlag, 0),
        RIVAX_DEFAULT(CoefficientCheckOption, 0),
        RIVAX_DEFAULT(SurfaceResidualLimit, 100.0),
        RIVAX_DEFAULT(F226Option, 0),
        RIVAX_DEFAULT(F234Option, 0),
        RIVAX_DEFAULT(TrekantOption, 0),
        RIVAX_DEFAULT(LayerBlockOption, 0),
        RIVAX_DEFAULT(LayerBlockViscosity, 0),
        RIVAX_DEFAULT(SoilCohesion, 0),
        RIVAX_DEFAULT(SoilFrictionCoef, 0.8),
        RIVAX_DEFAULT(PlanSolverSweeps1, 50),
        RIVAX_DEFAULT(PlanSolverSweeps2, 350),
        RIVAX_DEFAULT(TrekantValueRelax, 0.5),
        RIVAX_DEFAULT(TrekantRelax, 0.8),
        RIVAX_DEFAULT(YoungModulus, 65000000.0),
        RIVAX_DEFAULT(PoissonRatio, 0.4),
        RIVAX_DEFAULT(SedimentInflowFluxWeight, 0.9),
        RIVAX_DEFAULT(DebugFilesOption, 0),
        RIVAX_DEFAULT(SimpleCorrectionMode, 0),
        RIVAX_DEFAULT(StressVariant, 9),
        RIVAX_DEFAULT(BlockInterfaceOption, 0),
        RIVAX_DEFAULT(BlockInterfaceRelax, 0.5),
        RIVAX_DEFAULT(GroundwaterOption, 0),
        RIVAX_DEFAULT(GrainPercentile, 0.5),
        RIVAX_DEFAULT(PlotZoneBlock, 0),
        RIVAX_DEFAULT(F271Option, 0),
        RIVAX_DEFAULT(TurbulenceProductionVariant, 0),
        RIVAX_DEFAULT(WallPressureGradientOption, 0),
        RIVAX_DEFAULT(C1eps, 1.44),
        RIVAX_DEFAULT(C2eps, 1.92),
        RIVAX_DEFAULT(F280Option, 0),
        RIVAX_DEFAULT(F281Option, 0),
        RIVAX_DEFAULT(F281Value2, 1.0),
        RIVAX_DEFAULT(F284Option, 0),
        RIVAX_DEFAULT(ReservoirBalanceMode, 0),
        RIVAX_DEFAULT(BalanceLowFactor, 0.5),
        RIVAX_DEFAULT(BalanceHighFactor, 2.0),
        RIVAX_DEFAULT(LayerUpdateVariant, 0),
        RIVAX_DEFAULT(BlockingOption, 0),
        RIVAX_DEFAULT(F290Value1, 0),
        RIVAX_DEFAULT(F291Int1, 0),
        RIVAX_DEFAULT(F291Int2, 0),
        RIVAX_DEFAULT(F291Int3, 0),
        RIVAX_DEFAULT(FalseTimeStepMode, 0),
        RIVAX_DEFAULT(FalseTimeStep, 0),
        RIVAX_DEFAULT(ResidualFileFlag, 0),
        RIVAX_DEFAULT(F296Option, 0),
        RIVAX_DEFAULT(DivergenceLimit, 1e10),
        RIVAX_DEFAULT(FaceWallLawFlag, 0),
        RIVAX_DEFAULT(MpiPart, 0),
        RIVAX_DEFAULT(ShallowWaterOption, 0),
        RIVAX_DEFAULT(F312Option, 0),
        RIVAX_DEFAULT(F316Option, 0),
        RIVAX_DEFAULT(F327Option, 0),
        RIVAX_DEFAULT(BlockParallelFlag, 0),
        RIVAX_DEFAULT(F334Value1, 1.0),
        RIVAX_DEFAULT(EndTime, 1e50),
        RIVAX_DEFAULT(ReduceTimeStepFlag, 0),
        RIVAX_DEFAULT(LayerBaseViscosity, 1000.0),
        RIVAX_DEFAULT(F339Option, 0),
        RIVAX_DEFAULT(StepLossFlag, 0),
        RIVAX_DEFAULT(PlanSolverOption, 0),
        RIVAX_DEFAULT(MultigridVariant, 0),
        RIVAX_DEFAULT(PlanSolverTolerance, 1e-05),
        RIVAX_DEFAULT(InterfaceSide, 0),
        RIVAX_DEFAULT(SigmaCorrectionOption, 0),
        RIVAX_DEFAULT(SigmaCorrectionFactor, 1.0),
        RIVAX_DEFAULT(iterGlobalMax, 40000),
        RIVAX_DEFAULT(SurfaceUpdateInterval, 50000),
        RIVAX_DEFAULT(SurfaceUpdateFlag, 1),
        RIVAX_DEFAULT(StricklerCoefficient, 50.0),
        RIVAX_DEFAULT(InitialWaterLevel, 1.0),
        RIVAX_DEFAULT(W1Given, 0),
        RIVAX_DEFAULT(NoW2Values, 0),
        RIVAX_DEFAULT(MWallNo, 0),
        RIVAX_DEFAULT(NoFixedPoints, 0),
        RIVAX_DEFAULT(NoAttractors, 0),
        RIVAX_DEFAULT(CyclicFileFlag, 0),
        RIVAX_DEFAULT(NoInflowPoints, 0),
        RIVAX_DEFAULT(NoInflowLevels, 0),
    };
    for (const Default& d : table) EXPECT_EQ(d.actual, d.expected) << d.name;
}

TEST(RunParameterDefaults, TablesOfTheFKAndWDataSets) {
    ResetGlobals();
    const double relaxation[] = {0.0, 0.8, 0.8, 0.8, 0.2, 0.5, 0.5};
    for (int e = 0; e < kEquationTableSize; ++e) {
        EXPECT_EQ(RelaxationFactors[e], e <= 6 ? relaxation[e] : 0.0) << e;
        EXPECT_EQ(SolverSweeps[e], e == 4 ? 5 : 1) << e;
        EXPECT_EQ(SolverAcceleration[e], 0) << e;
        EXPECT_EQ(ConvectionScheme[e], 0) << e;
    }
    for (int k = 0; k < kOutputFlags; ++k) EXPECT_EQ(OutputFlags[k], k <= 1 ? 1 : 0) << k;
    for (int v : F317Values) EXPECT_EQ(v, 0);
    for (double q : GivenGroupDischarge) EXPECT_EQ(q, -1.0);
    for (int v : F263GroupValues) EXPECT_EQ(v, -1);
    for (int v : OutputIntervals) EXPECT_EQ(v, 0);
    for (double c : Cohesion) EXPECT_EQ(c, 0.0);
    EXPECT_EQ(OpenMPSwitches[10], 1);
    EXPECT_EQ(OpenMPSwitches[11], 1);
}

TEST(RunParameterDefaults, ScalarsOfTheF50AndGDataSets) {
    ResetGlobals();
    const Default table[] = {
        RIVAX_DEFAULT(NoComponents, 0),
        RIVAX_DEFAULT(Coriolis, 0),
        RIVAX_DEFAULT(CoriolisFlag, 0),
        RIVAX_DEFAULT(PrintInterval, 100),
        RIVAX_DEFAULT(TimeoInterval, 1),
        RIVAX_DEFAULT(InnerConvergence, 0.002),
        RIVAX_DEFAULT(Theta, 0),
        RIVAX_DEFAULT(TransientComponentsFlag, 0),
        RIVAX_DEFAULT(GridAlgorithm, 11),
        RIVAX_DEFAULT(TopCellWalkFlag, 0),
        RIVAX_DEFAULT(MaxCeller, 50000),
        RIVAX_DEFAULT(MaxFlater, 80000),
        RIVAX_DEFAULT(MaxPoints, 50000),
        RIVAX_DEFAULT(MaxBoundaryCells, 10000),
        RIVAX_DEFAULT(MaxEdgePairs, 1000),
        RIVAX_DEFAULT(BlockLinkWeight, 0),
        RIVAX_DEFAULT(TemperatureFlag, 0),
        RIVAX_DEFAULT(Hydrostatic, 0),
        RIVAX_DEFAULT(F69Int1, 0),
        RIVAX_DEFAULT(F69Int2, 0),
        RIVAX_DEFAULT(F69Int3, 0),
        RIVAX_DEFAULT(ColumnFluxOption, 0),
        RIVAX_DEFAULT(F69Int5, 0),
        RIVAX_DEFAULT(F69Int6, 0),
        RIVAX_DEFAULT(F69Int7, 0),
        RIVAX_DEFAULT(WallLawVariant, 0),
        RIVAX_DEFAULT(TurbDensFlag, 0),
        RIVAX_DEFAULT(MinGamma, 0.001),
        RIVAX_DEFAULT(WindDragFormula, 0),
        RIVAX_DEFAULT(F74Flag, 0),
        RIVAX_DEFAULT(WaterTemperatureFlag, 0),
        RIVAX_DEFAULT(DiffusivityFactor, 1.0),
        RIVAX_DEFAULT(BedDiffusivityFactor, 1.0),
        RIVAX_DEFAULT(DampingExponent, 0),
        RIVAX_DEFAULT(ConstEddyViscosity, 1.0),
        RIVAX_DEFAULT(ConstEddyViscosityBed, 1.0),
        RIVAX_DEFAULT(LateralSlopeOption, 0),
        RIVAX_DEFAULT(NoSizes, 1),
        RIVAX_DEFAULT(CoriolisImplicitFactor, 0),
        RIVAX_DEFAULT(MaxTimeiSteps, 200),
        RIVAX_DEFAULT(DampingExpMomentum, -0.5),
        RIVAX_DEFAULT(DampingCoefMomentum, 10.0),
        RIVAX_DEFAULT(DampingExpScalar, -1.5),
        RIVAX_DEFAULT(DampingCoefScalar, 3.33),
        RIVAX_DEFAULT(SedFormulaVariant, 0),
        RIVAX_DEFAULT(F85Flag, 0),
        RIVAX_DEFAULT(MinWaterDepth, 0.001),
        RIVAX_DEFAULT(SingleCellDepth, 0.01),
        RIVAX_DEFAULT(DryDepth, -0.001),
        RIVAX_DEFAULT(MaxEddyViscosity, 1000.0),
        RIVAX_DEFAULT(RoughnessOption, 0),
        RIVAX_DEFAULT(NearBedOption, 0),
        RIVAX_DEFAULT(SupercriticalAveragingFlag, 0),
        RIVAX_DEFAULT(DeadEndCellFlag, 0),
        RIVAX_DEFAULT(SkipBlockCorrection, 0),
        RIVAX_DEFAULT(F227Int, 1),
        RIVAX_DEFAULT(NoGridLinesX, 300),
        RIVAX_DEFAULT(NoGridLinesY, 300),
        RIVAX_DEFAULT(NoGridLinesZ, 11),
        RIVAX_DEFAULT(ReferenceCell, 0),
        RIVAX_DEFAULT(SurfaceRelaxation, 0.1),
        RIVAX_DEFAULT(SurfaceUpdateResidual, 0.01),
        RIVAX_DEFAULT(NoPlotVariables, 0),
        RIVAX_DEFAULT(NoBlockSelectionValues, 0),
        RIVAX_DEFAULT(NoInitialProfilePoints, 0),
        RIVAX_DEFAULT(NoInitialValueSets, 0),
        RIVAX_DEFAULT(NoComponentProfiles, 0),
        RIVAX_DEFAULT(NoG7Records, 0),
    };
    for (const Default& d : table) EXPECT_EQ(d.actual, d.expected) << d.name;
}

TEST(RunParameterDefaults, TablesOfTheF50AndGDataSets) {
    ResetGlobals();
    for (double w : WindSpeed) EXPECT_EQ(w, 0.0);
    for (int b = 0; b < kBlockValueSlots; ++b) EXPECT_EQ(G26BlockValues[b], b >= 1 && b <= 98 ? 1 : 0) << b;
    for (int k = 0; k < kOpenMPSwitches; ++k) EXPECT_EQ(OpenMPSwitches[k], k == 10 || k == 11 ? 1 : 0) << k;
    for (int k = 0; k < kZdistribSize; ++k) EXPECT_EQ(zdistrib[k], k >= 1 && k <= 11 ? (k - 1) / 10.0 : 0.0) << k;
    EXPECT_EQ(divisionMPI[1], -1);
    EXPECT_EQ(InspaceSizeFactor[19], 1.0);
    EXPECT_EQ(InspaceSizeFactor[20], 0.0);
}

}  // namespace
