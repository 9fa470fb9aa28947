'use strict;'
let VLM_DATA=[
`{
	"id":"vlm_1234",
	"Map":"01020002 00020302 ",
	"colors":[
		{	"color":1,
			"properties": {
				"over": {
					"q":0
				},
				"click": {
					"q":0
				},
				"dblclick": {
					"q":0
				}
			}
		},
		{	"color":3,
			"properties": {
				"over": {
					"q":0
				},
				"click": {
					"q":0
				},
				"dblclick": {
					"q":0
				}
			}
		},
		{ "q":0 }
	]
}`
];
