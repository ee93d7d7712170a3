# The test command's count (cmake/count-tests.cmake) on GoogleTest reports and a CTest Test.xml
# made for the purpose: cases passed, failed and skipped; a skip without a reason counts as failed;
# an entry that failed without its report tells how it ended and its last lines; one that failed
# with its report is not counted twice; text keeps ";", "[", "]" and backslashes.
#   cmake -DSOURCE_DIR=<source> -DWORK=<scratch folder> -P count_tests_test.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/results")
file(WRITE "${WORK}/results/test_a.xml" [=[<?xml version="1.0" encoding="UTF-8"?>
<testsuites tests="4" name="AllTests">
  <testsuite name="S" tests="4">
    <testcase name="Passes[1]" status="run" result="completed" time="0" classname="S" />
    <testcase name="Fails" status="run" result="completed" time="0" classname="S">
      <failure message="x" type=""><![CDATA[boom]]></failure>
    </testcase>
    <testcase name="SkipsWithAReason" status="run" result="skipped" time="0" classname="S">
      <skipped message="a.cpp:3&#x0A;no desktop; C:\QOR7\ [x]"><![CDATA[]]></skipped>
    </testcase>
    <testcase name="SkipsSilently" status="run" result="skipped" time="0" classname="S">
      <skipped message=""><![CDATA[]]></skipped>
    </testcase>
  </testsuite>
</testsuites>
]=])
function(entry out status name word value seconds output)
  set(${out} "${${out}}<Test Status=\"${status}\"><Name>${name}</Name><Results>
<NamedMeasurement type=\"text/string\" name=\"Exit Code\"><Value>${word}</Value></NamedMeasurement>
<NamedMeasurement type=\"text/string\" name=\"Exit Value\"><Value>${value}</Value></NamedMeasurement>
<NamedMeasurement type=\"numeric/double\" name=\"Execution Time\"><Value>${seconds}</Value></NamedMeasurement>
<Measurement><Value>${output}</Value></Measurement></Results></Test>
" PARENT_SCOPE)
endfunction()
set(xml "<?xml version=\"1.0\"?><Site><Testing>")
entry(xml failed test_a Failed 1 2.5 "[  FAILED  ] S.Fails")
entry(xml failed Gone Failed 3 0.0512 "first\nC:\\QOR7\\ &lt;[x]&gt;; y &amp; z\n")
entry(xml failed Killed "Subprocess killed" 0 0.3 "")
entry(xml notrun Missing "" "" "" "Unable to find executable: Missing")
entry(xml passed Fine Passed 0 1 "")
string(APPEND xml "</Testing></Site>\n")
file(WRITE "${WORK}/Test.xml" "${xml}")

execute_process(COMMAND ${CMAKE_COMMAND} -DRESULTS=${WORK}/results -DLABEL=label -DTEST_XML=${WORK}/Test.xml
                        -P ${SOURCE_DIR}/cmake/count-tests.cmake
                OUTPUT_VARIABLE printed ERROR_VARIABLE printed)
set(expected [=[label: 1 passed, 5 failed, 1 skipped
  failed:  S.Fails
  failed:  S.SkipsSilently (skipped without a reason)
  failed:  Gone (ended without its report: exit status 3, after 0.05 s)
             | first
             | C:\QOR7\ <[x]>; y & z
  failed:  Killed (ended without its report: Subprocess killed, after 0.3 s)
             it printed nothing
  failed:  Missing (ended without its report: not run)
             | Unable to find executable: Missing
  skipped: S.SkipsWithAReason: no desktop; C:\QOR7\ [x]
]=])
if(NOT printed STREQUAL expected)
  message(FATAL_ERROR "count-tests printed:\n${printed}\ninstead of:\n${expected}")
endif()
