# The growth rows of a benchmark run as one chart: the per-page cost against the
# number of URL scripts installed, and the band shown against the number of scripts.
# gnuplot -e "data='bench-growth.dat'; chart='bench-growth.png'" growth.gp
set terminal pngcairo size 1100,460 font ",10"
set output chart
set multiplot layout 1,2 title "How Pelmora's costs grow with the scripts installed"
set logscale x
set grid
set key bottom right
set xlabel "scripts installed"

set title "Per-page cost (one completed document)"
set ylabel "microseconds"
set yrange [0:*]
plot data index 0 using 1:2 with linespoints lw 2 pt 7 title "Pelmora"

set title "Band shown (SetSite + ShowDW)"
set ylabel "milliseconds"
plot data index 1 using 1:($2/1000) with linespoints lw 2 pt 7 title "Pelmora", \
     data index 1 using 1:($3/1000) with linespoints lw 2 pt 5 dt 2 title "baseline: list and insert"
unset multiplot
