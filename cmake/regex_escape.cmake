# Sets VARIABLE to TEXT with every character that a regular expression would
# read as an operator escaped, so that the expression matches TEXT itself.
function(kondensator_escape_for_regex text variable)
  string(REGEX REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1" text "${text}")
  set(${variable} "${text}" PARENT_SCOPE)
endfunction()
